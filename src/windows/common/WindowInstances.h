#pragma once
// The program's single window instances that every window may reach by name. The application's
// window creation publishes and clears them; each is null while its window does not exist
// (tests create only the windows they need).

class TD_backgrounds;
class TD_puzzle_js;
class TD_puzzle_props;
class TD_scale_image;
class TDmsg;
class TF_tools;
class TFabout;
class TFsure;
struct TMainState;

extern TDmsg *Dmsg;
extern TFsure *Fsure;
extern TFabout *Fabout;
extern TD_scale_image *D_scale_image;
extern TD_puzzle_js *D_puzzle_js;
extern TD_puzzle_props *D_puzzle_props;
// Created later: the backgrounds dialog by player mode, the tools window by the play window.
extern TD_backgrounds *D_backgrounds;
extern TF_tools *F_tools;
// The main window's puzzle state, which the maker's windows read and write.
extern TMainState *MainState;

// Publishes an object under its program-wide name for as long as this lives, and clears the
// name when it goes, so that nothing reaches a window that no longer exists.
template <typename T> class TPublishedAs
{
public:
    TPublishedAs(T *&name, T *object) : m_Name(name) { name = object; }
    ~TPublishedAs() { m_Name = nullptr; }
    TPublishedAs(const TPublishedAs &) = delete;
    TPublishedAs &operator=(const TPublishedAs &) = delete;

private:
    T *&m_Name;
};
