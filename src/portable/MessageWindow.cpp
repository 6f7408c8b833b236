#include "MessageWindow.h"

#include "BitmapFont.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int Scale = 2; // glyph pixels per font pixel
constexpr int Advance = (BitmapFont::Width + 1) * Scale;
constexpr int LineHeight = (BitmapFont::Height + 3) * Scale;
constexpr int Margin = 20;
constexpr int MaxLineCharacters = 60;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 28;

// Request codes and event types of the core X protocol.
enum : std::uint8_t {
    CreateWindow = 1,
    MapWindow = 8,
    InternAtom = 16,
    ChangeProperty = 18,
    CreateGC = 55,
    ChangeGC = 56,
    PolyRectangle = 67,
    PolyFillRectangle = 70
};
enum : std::uint8_t {
    KeyPress = 2,
    ButtonRelease = 5,
    Expose = 12,
    DestroyNotify = 17,
    ClientMessage = 33
};
constexpr std::uint32_t AtomString = 31, AtomWmName = 39, AtomWmNormalHints = 40,
                        AtomWmSizeHints = 41, AtomWmClass = 67, AtomAtom = 4;

struct TRectangle {
    std::int16_t x, y;
    std::uint16_t width, height;
};

// A request being put together, in the client's (little-endian) byte order.
class TRequest
{
public:
    TRequest(std::uint8_t code, std::uint8_t detail) : m_bytes{code, detail, 0, 0} {}
    TRequest &Add16(std::uint32_t value) { return Add(value, 2); }
    TRequest &Add32(std::uint32_t value) { return Add(value, 4); }
    TRequest &AddBytes(const void *bytes, std::size_t size)
    {
        const auto *from = static_cast<const unsigned char *>(bytes);
        m_bytes.insert(m_bytes.end(), from, from + size);
        m_bytes.resize((m_bytes.size() + 3) / 4 * 4);
        return *this;
    }
    // The bytes with their length (in 4-byte units) filled in.
    const std::vector<unsigned char> &Finished()
    {
        const std::size_t words = m_bytes.size() / 4;
        m_bytes[2] = std::uint8_t(words);
        m_bytes[3] = std::uint8_t(words >> 8);
        return m_bytes;
    }

private:
    TRequest &Add(std::uint32_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            m_bytes.push_back(std::uint8_t(value >> (8 * i)));
        return *this;
    }
    std::vector<unsigned char> m_bytes;
};

std::uint32_t Get16(const unsigned char *bytes)
{
    return bytes[0] | bytes[1] << 8;
}
std::uint32_t Get32(const unsigned char *bytes)
{
    return Get16(bytes) | Get16(bytes + 2) << 16;
}

class TConnection
{
public:
    ~TConnection()
    {
        if (m_socket >= 0)
            close(m_socket);
    }
    // Connects to the local display `number` and reads the first screen; false on any failure.
    bool Open(int number, const std::string &home)
    {
        return Connect(number) && Greet(number, home);
    }
    // Only the socket connection, without the X connection set up on it: a client that never
    // set up does not count, so closing it does not make an X server that has no other client
    // reset (closing the connection of a client that comes next).
    bool Connect(int number)
    {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        for (bool abstract : {true, false}) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + (abstract ? 1 : 0), path.c_str(), path.size());
            m_socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + 1);
            if (m_socket >= 0 &&
                connect(m_socket, reinterpret_cast<sockaddr *>(&address), length) == 0)
                return true;
            if (m_socket >= 0)
                close(m_socket);
            m_socket = -1;
        }
        return false;
    }
    bool Send(const std::vector<unsigned char> &bytes)
    {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t done = write(m_socket, bytes.data() + sent, bytes.size() - sent);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return false;
            sent += std::size_t(done);
        }
        return true;
    }
    bool Receive(unsigned char *bytes, std::size_t size)
    {
        for (std::size_t got = 0; got < size;) {
            const ssize_t done = read(m_socket, bytes + got, size - got);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return false;
            got += std::size_t(done);
        }
        return true;
    }
    // The next event, error or reply (its first 32 bytes); false when the connection ended.
    bool Next(unsigned char (&message)[32])
    {
        if (!Receive(message, 32))
            return false;
        std::vector<unsigned char> rest(message[0] == 1 ? std::size_t(Get32(message + 4)) * 4 : 0);
        return rest.empty() || Receive(rest.data(), rest.size());
    }
    std::uint32_t NewId() { return m_idBase | (m_nextId++ & m_idMask); }
    std::uint32_t Atom(const std::string &name)
    {
        if (!Send(TRequest(InternAtom, 0)
                      .Add16(name.size())
                      .Add16(0)
                      .AddBytes(name.data(), name.size())
                      .Finished()))
            return 0;
        unsigned char reply[32];
        while (Next(reply))
            if (reply[0] <= 1) // the reply, or an error instead of it
                return reply[0] == 1 ? Get32(reply + 8) : 0;
        return 0;
    }

    std::uint32_t root = 0, width = 0, height = 0, depth = 0, white = 0, black = 0;

private:
    // The cookie for this display from the user's authority file, as name and data.
    static std::pair<std::string, std::string> Cookie(int number, const std::string &home)
    {
        const char *file = std::getenv("XAUTHORITY");
        const std::string path = file && *file ? file : home + "/.Xauthority";
        std::string bytes(1 << 16, '\0');
        const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t size = descriptor >= 0 ? read(descriptor, bytes.data(), bytes.size()) : 0;
        if (descriptor >= 0)
            close(descriptor);
        bytes.resize(std::size_t(std::max<ssize_t>(size, 0)));
        utsname system{};
        uname(&system);
        std::size_t at = 0;
        auto field = [&](std::string &into) {
            if (at + 2 > bytes.size())
                return false;
            const std::size_t length = std::uint8_t(bytes[at]) << 8 | std::uint8_t(bytes[at + 1]);
            if (at + 2 + length > bytes.size())
                return false;
            into = bytes.substr(at + 2, length);
            at += 2 + length;
            return true;
        };
        while (at + 2 <= bytes.size()) {
            const unsigned family = std::uint8_t(bytes[at]) << 8 | std::uint8_t(bytes[at + 1]);
            at += 2;
            std::string address, display, name, data;
            if (!field(address) || !field(display) || !field(name) || !field(data))
                break;
            const bool local = family == 0xffff || (family == 256 && address == system.nodename);
            if (local && (display.empty() || display == std::to_string(number)))
                return {name, data};
        }
        return {};
    }

    bool Greet(int number, const std::string &home)
    {
        const auto [name, data] = Cookie(number, home);
        TRequest setup('l', 0);
        setup.Add16(0).Add16(name.size()).Add16(data.size()).Add16(0);
        setup.AddBytes(name.data(), name.size()).AddBytes(data.data(), data.size());
        std::vector<unsigned char> bytes = setup.Finished();
        bytes[2] = 11; // the setup request has no length field: its place holds the version
        bytes[3] = 0;
        unsigned char head[8];
        if (!Send(bytes) || !Receive(head, sizeof head) || head[0] != 1)
            return false;
        std::vector<unsigned char> reply(std::size_t(Get16(head + 6)) * 4);
        if (reply.size() < 32 || !Receive(reply.data(), reply.size()))
            return false;
        m_idBase = Get32(&reply[4]);
        m_idMask = Get32(&reply[8]);
        const std::size_t screen =
            32 + (Get16(&reply[16]) + 3) / 4 * 4 + std::size_t(reply[21]) * 8;
        if (screen + 40 > reply.size())
            return false;
        root = Get32(&reply[screen]);
        white = Get32(&reply[screen + 8]);
        black = Get32(&reply[screen + 12]);
        width = Get16(&reply[screen + 20]);
        height = Get16(&reply[screen + 22]);
        depth = reply[screen + 38];
        return true;
    }

    int m_socket = -1;
    std::uint32_t m_idBase = 0, m_idMask = 0, m_nextId = 1;
};

// The message in lines of at most MaxLineCharacters, broken at spaces where it can be.
std::vector<std::string> WrappedLines(const std::string &message)
{
    std::vector<std::string> lines;
    std::string rest = message;
    while (rest.size() > std::size_t(MaxLineCharacters)) {
        std::size_t breakAt = rest.rfind(' ', MaxLineCharacters);
        if (breakAt == std::string::npos || breakAt == 0)
            breakAt = MaxLineCharacters;
        lines.push_back(rest.substr(0, breakAt));
        rest.erase(0, rest[breakAt] == ' ' ? breakAt + 1 : breakAt);
    }
    lines.push_back(rest);
    return lines;
}

// The rectangles that draw `text` with its top left at (x, y): one per run of ink in a row.
void AddText(std::vector<TRectangle> &rectangles, const std::string &text, int x, int y)
{
    for (char character : text) {
        const unsigned char *rows = BitmapFont::GlyphOf(character);
        // Letters with descenders sit a pixel lower, below the line the others stand on.
        const int top = std::strchr("gjpqy", character) && character ? y + Scale : y;
        for (int row = 0; row < BitmapFont::Height; ++row)
            for (int column = 0; column < BitmapFont::Width;) {
                int end = column;
                while (end < BitmapFont::Width && rows[row] >> (BitmapFont::Width - 1 - end) & 1)
                    ++end;
                if (end > column)
                    rectangles.push_back(
                        {std::int16_t(x + column * Scale), std::int16_t(top + row * Scale),
                         std::uint16_t((end - column) * Scale), std::uint16_t(Scale)});
                column = end + 1;
            }
        x += Advance;
    }
}

bool SendRectangles(TConnection &x, std::uint8_t code, std::uint32_t window, std::uint32_t gc,
                    const std::vector<TRectangle> &rectangles)
{
    for (std::size_t first = 0; first < rectangles.size(); first += 1000) {
        TRequest request(code, 0);
        request.Add32(window).Add32(gc);
        for (std::size_t i = first; i < std::min(rectangles.size(), first + 1000); ++i)
            request.Add16(std::uint16_t(rectangles[i].x))
                .Add16(std::uint16_t(rectangles[i].y))
                .Add16(rectangles[i].width)
                .Add16(rectangles[i].height);
        if (!x.Send(request.Finished()))
            return false;
    }
    return true;
}

// The number of the display DISPLAY names when it is a local one (":N" or "unix:N"), else -1:
// the stage has no business on the network.
int LocalDisplayNumber()
{
    const char *display = std::getenv("DISPLAY");
    const char *colon = display ? std::strchr(display, ':') : nullptr;
    if (!colon || (colon != display && std::string(display, colon) != "unix") ||
        !std::isdigit(static_cast<unsigned char>(colon[1])))
        return -1;
    return std::atoi(colon + 1);
}

} // namespace

bool LocalDisplayUnreachable()
{
    const int number = LocalDisplayNumber();
    TConnection x;
    return number >= 0 && !x.Connect(number);
}

bool ShowMessageWindow(const std::string &message, const std::string &home)
{
    const int number = LocalDisplayNumber();
    TConnection x;
    if (number < 0 || !x.Open(number, home))
        return false;

    std::string sentence = message;
    if (!sentence.empty())
        sentence[0] = char(std::toupper(static_cast<unsigned char>(sentence[0])));
    const std::vector<std::string> lines = WrappedLines(sentence);
    std::size_t longest = 0;
    for (const std::string &line : lines)
        longest = std::max(longest, line.size());
    const int width = std::max(int(longest) * Advance + 2 * Margin, 240);
    const int buttonTop = Margin + int(lines.size()) * LineHeight + Margin / 2;
    const int height = buttonTop + ButtonHeight + Margin;
    const TRectangle button{std::int16_t((width - ButtonWidth) / 2), std::int16_t(buttonTop),
                            ButtonWidth, ButtonHeight};
    // TrueColor displays get a light grey face; others black on white.
    const bool trueColor = x.depth >= 24;
    const std::uint32_t face = trueColor ? 0xefefef : x.white;
    const std::uint32_t buttonFace = trueColor ? 0xdcdcdc : x.white;

    const std::uint32_t window = x.NewId(), gc = x.NewId();
    const std::uint32_t protocols = x.Atom("WM_PROTOCOLS"),
                        deleteWindow = x.Atom("WM_DELETE_WINDOW");
    const std::string title = "Tessalune";
    const char wmClass[] = "tessalune\0Tessalune";
    std::uint32_t hints[18] = {16 | 32}; // fixed size: minimum and maximum
    hints[5] = hints[7] = std::uint32_t(width);
    hints[6] = hints[8] = std::uint32_t(height);
    std::vector<unsigned char> requests;
    auto add = [&](TRequest request) {
        const auto &bytes = request.Finished();
        requests.insert(requests.end(), bytes.begin(), bytes.end());
    };
    add(TRequest(CreateWindow, 0)
            .Add32(window)
            .Add32(x.root)
            .Add16(std::uint16_t((int(x.width) - width) / 2))
            .Add16(std::uint16_t((int(x.height) - height) / 2))
            .Add16(width)
            .Add16(height)
            .Add16(1)
            .Add16(1)
            .Add32(0)
            .Add32(0x2 | 0x800)
            .Add32(face)
            .Add32(0x8000 | 0x1 | 0x8 | 0x20000));
    add(TRequest(ChangeProperty, 0)
            .Add32(window)
            .Add32(AtomWmName)
            .Add32(AtomString)
            .Add32(8)
            .Add32(title.size())
            .AddBytes(title.data(), title.size()));
    add(TRequest(ChangeProperty, 0)
            .Add32(window)
            .Add32(AtomWmClass)
            .Add32(AtomString)
            .Add32(8)
            .Add32(sizeof wmClass)
            .AddBytes(wmClass, sizeof wmClass));
    add(TRequest(ChangeProperty, 0)
            .Add32(window)
            .Add32(AtomWmNormalHints)
            .Add32(AtomWmSizeHints)
            .Add32(32)
            .Add32(18)
            .AddBytes(hints, sizeof hints));
    if (protocols && deleteWindow)
        add(TRequest(ChangeProperty, 0)
                .Add32(window)
                .Add32(protocols)
                .Add32(AtomAtom)
                .Add32(32)
                .Add32(1)
                .Add32(deleteWindow));
    add(TRequest(CreateGC, 0).Add32(gc).Add32(window).Add32(0x4).Add32(x.black));
    add(TRequest(MapWindow, 0).Add32(window));
    if (!x.Send(requests))
        return false;

    std::vector<TRectangle> text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        AddText(text, lines[i], Margin, Margin + int(i) * LineHeight);
    std::vector<TRectangle> label;
    AddText(label, "OK", button.x + (ButtonWidth - 2 * Advance) / 2,
            button.y + (ButtonHeight - BitmapFont::Height * Scale) / 2);
    auto paint = [&] {
        return x.Send(TRequest(ChangeGC, 0).Add32(gc).Add32(0x4).Add32(buttonFace).Finished()) &&
               SendRectangles(x, PolyFillRectangle, window, gc, {button}) &&
               x.Send(TRequest(ChangeGC, 0).Add32(gc).Add32(0x4).Add32(x.black).Finished()) &&
               SendRectangles(x, PolyRectangle, window, gc, {button}) &&
               SendRectangles(x, PolyFillRectangle, window, gc, text) &&
               SendRectangles(x, PolyFillRectangle, window, gc, label);
    };
    for (unsigned char event[32]; x.Next(event);) {
        switch (event[0] & 0x7f) {
        case Expose:
            if (Get16(event + 16) == 0 && !paint())
                return true;
            break;
        case ButtonRelease: {
            const int clickX = std::int16_t(Get16(event + 24)),
                      clickY = std::int16_t(Get16(event + 26));
            if (clickX >= button.x && clickX < button.x + ButtonWidth && clickY >= button.y &&
                clickY < button.y + ButtonHeight)
                return true;
            break;
        }
        case KeyPress:
        case DestroyNotify:
            return true;
        case ClientMessage:
            if (Get32(event + 8) == protocols && Get32(event + 12) == deleteWindow)
                return true;
            break;
        }
    }
    return true; // the connection ended: the window went with it
}
