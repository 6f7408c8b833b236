#pragma once
// The About window: the program's own About in maker mode, or the details of the puzzle being
// played with its author's website. One instance, ProgramWindows().aboutWindow, is made when first
// asked for and reused.

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QUrl;
class TClickableLabel;
class TShapeWidget;

class TAboutWindow : public QDialog
{
    Q_OBJECT
public:
    // Hands a web address to the system; the default is the desktop's browser.
    using TUrlOpener = std::function<void(const QUrl &)>;

    explicit TAboutWindow(QWidget *parent = nullptr);

    // The maker's About: the maker's mark and web address, no author or website rows.
    void ShowProgramAbout();
    // The puzzle's About; an empty name shows "Gridplay", an empty author or website "N/A".
    // It also says whether the puzzle is portable (carries its own libraries).
    void ShowPuzzleAbout(const QString &name, const QString &author, const QString &website,
                         bool portable = false);
    // Starts a web address: blanks and control characters around it are removed, "N/A" and
    // empty text start nothing, an address without "http://" or "https://" gets "http://" in
    // front. Only a valid http or https address ever reaches the opener.
    void OpenLink(const QString &address);

    void SetUrlOpener(TUrlOpener opener);

    TShapeWidget *m_backdropCircle;
    QFrame *m_buttonBevel;
    TShapeWidget *m_cornerCircle;
    QLabel *m_nameLabel;
    QLabel *m_creditLabel;
    TClickableLabel *m_makerLink;
    QLabel *m_authorCaption;
    QLabel *m_websiteCaption;
    QLabel *m_authorLabel;
    TClickableLabel *m_websiteLink;
    QLabel *m_versionLabel;
    QPushButton *m_okButton;
    QLabel *m_portableLabel;

private:
    void CreateControls();
    void SetPuzzleRowsVisible(bool visible);
    void ShowModally();
    void MakerLinkClicked();
    void WebsiteLinkClicked();
    void OkClicked();

    TUrlOpener m_urlOpener;
    // The website as the puzzle gives it; its label may show it shortened.
    QString m_puzzleWebsite;
};
