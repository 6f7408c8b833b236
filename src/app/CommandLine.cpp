#include "app/CommandLine.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleExecutable.h"
#include "engine/container/PuzzleFile.h"
#include "engine/container/WebPagePuzzle.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceQuality.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/MemoryBudget.h"
#include "engine/picture/Resampling.h"
#include "engine/picture/Rotation.h"
#include "windows/common/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace
{

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitBadArguments = 2;

const std::string GridRange =
    std::to_string(MakerMinGridSize) + " to " + std::to_string(MakerMaxGridSize);
const std::string ScaleRange =
    std::to_string(MinScalePercent) + " to " + std::to_string(MaxScalePercent);

const std::string Usage =
    "Usage:\n"
    "  tessalune --make PICTURE OUTPUT [options]\n"
    "      Makes a puzzle executable OUTPUT from PICTURE, a BMP, DIB, WMF, EMF, GIF, JPG,\n"
    "      JPEG, ICO, PNG or WEBP file (its type is taken from its extension).\n"
    "      --cols N               pieces across, " +
    GridRange +
    " (default 7)\n"
    "      --rows N               pieces down, " +
    GridRange +
    " (default 7)\n"
    "      --name TEXT            puzzle name (default \"Puzzle\")\n"
    "      --author TEXT          author's name\n"
    "      --website TEXT         author's website\n"
    "      --no-borders           pieces without 3D borders\n"
    "      --turned               pieces lie in quarter turns; the player turns them upright\n"
    "      --alternative PICTURE  picture shown when the puzzle is solved (any type above)\n"
    "      --rotate cw|ccw        turns PICTURE a quarter turn clockwise or counter-clockwise;\n"
    "                             may be repeated, the turns are made in order\n"
    "      --scale PERCENT        resamples PICTURE, after the turns, to " +
    ScaleRange +
    " percent\n"
    "                             of its size\n"
    "      --seed N               piece shapes drawn from generator state N (0 to 4294967295)\n"
    "                             instead of the clock, so that a puzzle can be made again\n"
    "      --portable             a puzzle that carries its own libraries, to send to someone:\n"
    "                             it plays on a Linux desktop (x86-64, glibc 2.31 or newer, X11\n"
    "                             or XWayland) without Tessalune or Qt; about 24 MB larger\n"
    "      --html                 also writes the puzzle as one web page beside OUTPUT\n"
    "                             (OUTPUT without \".exe\", then \".html\") that plays in any\n"
    "                             browser, on any device\n"
    "  tessalune --export-pieces PUZZLE DIR\n"
    "      Cuts the picture of the puzzle executable PUZZLE as the player does and writes\n"
    "      every piece to DIR as piece_rROW_cCOL.png, transparent outside its outline.\n"
    "  tessalune PUZZLE\n"
    "      Plays the puzzle in the file PUZZLE, whatever its name and whether or not it may be\n"
    "      executed; a changed game is saved into that file.\n"
    "  tessalune --help      shows this text\n"
    "  tessalune --version   shows the program's version\n";

// Wrong arguments: reported with a hint to --help.
class EUsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A job that cannot be done with the given files.
class EJobError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::string Text(const QString &text)
{
    return text.toLocal8Bit().toStdString();
}

// ---- Arguments ----

// An argument that text would change is refused rather than taken as another file's name.
QString ArgumentAsGiven(const char *argument)
{
    try {
        return Platform::ArgumentText(argument);
    } catch (const std::runtime_error &refused) {
        throw EUsageError(refused.what());
    }
}

enum class TTurn { Clockwise, CounterClockwise };

struct TMakeRequest {
    QString picture;
    QString output;
    QString alternative;
    std::vector<TTurn> turns;
    int scalePercent = 100;
    TPuzzleProperties properties;
    std::optional<std::uint32_t> seed;
    bool portable = false;
    bool webPage = false;
};

struct TExportRequest {
    QString puzzle;
    QString folder;
};

// Reads "--option VALUE" and "--option=VALUE" from a list of arguments.
class TArgumentReader
{
public:
    explicit TArgumentReader(QStringList arguments) : m_arguments(std::move(arguments)) {}

    bool AtEnd() const { return m_next >= m_arguments.size(); }
    QString Take() { return m_arguments[m_next++]; }

    // The value of the option just taken (whose name was given as `option`).
    QString ValueOf(const QString &taken, const QString &option)
    {
        if (taken.size() > option.size())
            return taken.mid(option.size() + 1);
        if (AtEnd())
            throw EUsageError(Text(option) + " needs a value");
        return Take();
    }

    static bool Is(const QString &taken, const QString &option)
    {
        return taken == option || taken.startsWith(option + '=');
    }

private:
    QStringList m_arguments;
    qsizetype m_next = 0;
};

int ParseGridSize(const QString &value, const QString &option)
{
    bool ok = false;
    const int size = value.toInt(&ok, 10);
    if (!ok || size < MakerMinGridSize || size > MakerMaxGridSize)
        throw EUsageError(Text(option) + " must be a whole number from " + GridRange + ", not \"" +
                          Text(value) + "\"");
    return size;
}

TTurn ParseTurn(const QString &value)
{
    if (value == "cw")
        return TTurn::Clockwise;
    if (value == "ccw")
        return TTurn::CounterClockwise;
    throw EUsageError("--rotate must be cw or ccw, not \"" + Text(value) + "\"");
}

int ParseScalePercent(const QString &value)
{
    bool ok = false;
    const int percent = value.toInt(&ok, 10);
    if (!ok || percent < MinScalePercent || percent > MaxScalePercent)
        throw EUsageError("--scale must be a whole number from " + ScaleRange + ", not \"" +
                          Text(value) + "\"");
    return percent;
}

std::uint32_t ParseSeed(const QString &value)
{
    bool ok = false;
    const uint seed = value.toUInt(&ok, 10);
    if (!ok)
        throw EUsageError("--seed must be a whole number from 0 to 4294967295, not \"" +
                          Text(value) + "\"");
    return seed;
}

// Texts are stored as UTF-8 with blanks and control characters trimmed, as the maker's dialog
// stores them.
QByteArray DocumentText(const QString &value)
{
    return TrimBlanksAndControls(value.toUtf8());
}

// Relative paths are resolved now, against the caller's working folder.
QString AbsolutePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

void TakeMakeOption(TArgumentReader &reader, const QString &taken, TMakeRequest &request)
{
    TPuzzleProperties &properties = request.properties;
    if (TArgumentReader::Is(taken, "--cols"))
        properties.cols = ParseGridSize(reader.ValueOf(taken, "--cols"), "--cols");
    else if (TArgumentReader::Is(taken, "--rows"))
        properties.rows = ParseGridSize(reader.ValueOf(taken, "--rows"), "--rows");
    else if (TArgumentReader::Is(taken, "--name"))
        properties.name = DocumentText(reader.ValueOf(taken, "--name"));
    else if (TArgumentReader::Is(taken, "--author"))
        properties.author = DocumentText(reader.ValueOf(taken, "--author"));
    else if (TArgumentReader::Is(taken, "--website"))
        properties.website = DocumentText(reader.ValueOf(taken, "--website"));
    else if (taken == "--no-borders")
        properties.borders = false;
    else if (taken == "--portable")
        request.portable = true;
    else if (taken == "--html")
        request.webPage = true;
    else if (taken == "--turned")
        properties.turned = true;
    else if (TArgumentReader::Is(taken, "--alternative"))
        request.alternative = AbsolutePath(reader.ValueOf(taken, "--alternative"));
    else if (TArgumentReader::Is(taken, "--rotate"))
        request.turns.push_back(ParseTurn(reader.ValueOf(taken, "--rotate")));
    else if (TArgumentReader::Is(taken, "--scale"))
        request.scalePercent = ParseScalePercent(reader.ValueOf(taken, "--scale"));
    else if (TArgumentReader::Is(taken, "--seed"))
        request.seed = ParseSeed(reader.ValueOf(taken, "--seed"));
    else
        throw EUsageError("unknown option " + Text(taken));
}

// Positional arguments in order, then nothing more.
void RequireTwoPaths(const QStringList &paths, const char *first, const char *second)
{
    if (paths.size() < 2)
        throw EUsageError(std::string("expected ") + first + " and " + second);
    if (paths.size() > 2)
        throw EUsageError("unexpected argument " + Text(paths[2]));
    for (const QString &path : paths)
        if (path.isEmpty())
            throw EUsageError("a path must not be empty");
}

TMakeRequest ParseMake(TArgumentReader &reader)
{
    TMakeRequest request;
    request.properties.name = "Puzzle";
    QStringList paths;
    while (!reader.AtEnd()) {
        const QString taken = reader.Take();
        if (taken.startsWith("--"))
            TakeMakeOption(reader, taken, request);
        else
            paths.append(taken);
    }
    RequireTwoPaths(paths, "PICTURE", "OUTPUT");
    request.picture = AbsolutePath(paths[0]);
    request.output = AbsolutePath(paths[1]);
    return request;
}

TExportRequest ParseExport(TArgumentReader &reader)
{
    QStringList paths;
    while (!reader.AtEnd()) {
        const QString taken = reader.Take();
        if (taken.startsWith("--"))
            throw EUsageError("unknown option " + Text(taken));
        paths.append(taken);
    }
    RequireTwoPaths(paths, "PUZZLE", "DIR");
    return {AbsolutePath(paths[0]), AbsolutePath(paths[1])};
}

// ---- Files ----

QByteArray ReadWholeFile(const QString &path)
{
    return Platform::ReadFileWithin(path, MemoryBudget);
}

// A job reports its own errors; the warnings of Qt's decoders (libpng's, for one) and of its
// platform set-up would only clutter them.
void DropQtWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Text in metafiles needs fonts, and fonts need a GUI application; a job shows no window, so
// it always runs on the offscreen platform: another one may need a display there is none of.
std::unique_ptr<QGuiApplication> PrepareForPictures()
{
    qInstallMessageHandler(DropQtWarnings);
    if (QCoreApplication::instance())
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tessalune";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The picture as the maker's editor loads it, of any type the loader knows, within what the
// memory budget leaves beside the picture already held; role names it in a refusal.
QImage LoadPicture(const QString &path, const QString &role, std::int64_t memoryLeft)
{
    TLoadedGraphic loaded = LoadGraphic(path, memoryLeft);
    if (loaded.refusal)
        throw EJobError("cannot load \"" + Text(path) +
                        "\": " + Text(RefusalMessage(*loaded.refusal, role)));
    return std::move(loaded.bitmap);
}

// The editor's turns and scaling, with the functions its buttons and scale dialog use.
QImage PreparePicture(QImage bitmap, const TMakeRequest &request)
{
    for (const TTurn turn : request.turns) {
        if (turn == TTurn::Clockwise)
            RotateBitmapCW(bitmap, bitmap);
        else
            RotateBitmapCCW(bitmap, bitmap);
    }
    if (request.scalePercent == 100)
        return bitmap;
    const QSize size(ScaledLength(bitmap.width(), request.scalePercent),
                     ScaledLength(bitmap.height(), request.scalePercent));
    if (!CanResampleTo(size))
        throw EJobError("\"" + Text(request.picture) + "\" is too " +
                        (size.isEmpty() ? "small" : "large") + " to scale to " +
                        std::to_string(request.scalePercent) + " percent");
    const QImage scaled = ResampleBitmap(bitmap, size);
    if (scaled.isNull())
        throw EJobError("not enough memory to scale \"" + Text(request.picture) + "\" to " +
                        std::to_string(request.scalePercent) + " percent");
    return scaled;
}

// ---- Making ----

void RequireWritableOutput(const QString &output)
{
    if (QFileInfo(output).isDir())
        throw EJobError("\"" + Text(output) + "\" is a folder");
    if (!QFileInfo(output).absoluteDir().exists())
        throw EJobError("the folder of \"" + Text(output) + "\" does not exist");
}

// The dialog's piece-quality warnings, judged against a reference screen, with the options
// that would remedy them. The puzzle is made all the same.
void WarnAboutPieceQuality(QSize picture, const TPuzzleProperties &properties)
{
    const TPieceQuality quality =
        JudgePieceQuality(picture, properties.cols, properties.rows, ReferenceScreen);
    for (const QString &warning : PieceQualityWarnings(quality))
        std::fprintf(stderr, "tessalune: warning: %s\n", Text(warning).c_str());
    if (quality.tooSmall)
        std::fprintf(stderr, "tessalune: (--cols %d --rows %d)\n", quality.goodGrid.width(),
                     quality.goodGrid.height());
    else if (quality.tooLarge)
        std::fprintf(stderr, "tessalune: (--scale %d)\n", quality.comfortableScalePercent);
}

int RunMake(const TMakeRequest &request)
{
    RequireWritableOutput(request.output);
    const std::unique_ptr<QGuiApplication> application = PrepareForPictures();
    // Assigned bitmaps are written at the program's quality, as the maker writes them.
    TJpegPicture source;
    source.Assign(PreparePicture(
        LoadPicture(request.picture, QStringLiteral("The source picture"), MemoryBudget), request));
    WarnAboutPieceQuality(QSize(source.Width(), source.Height()), request.properties);
    TJpegPicture alternative;
    const bool useAlternative = !request.alternative.isEmpty();
    if (useAlternative)
        alternative.Assign(LoadPicture(request.alternative,
                                       QStringLiteral("The alternative picture"),
                                       MemoryLeftBeside(&source)));

    const auto makeGame = [&request] {
        if (!request.seed)
            return MakePuzzleGame(request.properties);
        TRandomGenerator random(*request.seed);
        return MakePuzzleGame(request.properties, random);
    };
    TPuzzleDocument document(makeGame());
    WritePuzzleExecutable(
        WithPuzzleSections(request.portable ? ReadPortableProgram() : LoadedExeImage(), source,
                           useAlternative ? &alternative : nullptr, document),
        request.output);
    if (request.webPage)
        WritePuzzleWebPage(
            PuzzleWebPage(source, useAlternative ? &alternative : nullptr, document.Game()),
            WebPageFileName(request.output));
    return ExitDone;
}

// ---- Exporting ----

// Reads a puzzle as the player does: the sections of the given file, the picture from
// "SRC_IMG" and the document from "PIG_TXT".
void ReadPuzzle(const QString &path, TJpegPicture &picture, TPuzzleDocument &document)
{
    const QByteArray bytes = ReadWholeFile(path);
    if (!IsPuzzleImage(bytes))
        throw EJobError("\"" + Text(path) + "\" is not a puzzle executable");
    picture.SetData(PuzzlePictureOf(bytes));
    try {
        document = PuzzleDocumentOf(bytes);
    } catch (const EKeyedNodeError &error) {
        throw EJobError("the puzzle document of \"" + Text(path) +
                        "\" cannot be read: " + error.what());
    }
}

QString PieceFileName(const TCutPiece &piece)
{
    return QString("piece_r%1_c%2.png")
        .arg(piece.row, 2, 10, QChar('0'))
        .arg(piece.col, 2, 10, QChar('0'));
}

// Each file appears whole or not at all; after a failure the files already written, and the
// folder if it was made here, go again.
void WritePieceFiles(const std::vector<TCutPiece> &pieces, const QString &folder)
{
    const bool folderExisted = QFileInfo(folder).isDir();
    if (!QDir().mkpath(folder))
        throw EJobError("cannot create the folder \"" + Text(folder) + "\"");
    QStringList written;
    for (const TCutPiece &piece : pieces) {
        const QString path = QDir(folder).filePath(PieceFileName(piece));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !piece.image.save(&file, "PNG") || !file.commit()) {
            for (const QString &done : written)
                QFile::remove(done);
            if (!folderExisted)
                QDir().rmdir(folder);
            throw EJobError("cannot write \"" + Text(path) + "\": " + Text(file.errorString()));
        }
        written.append(path);
    }
}

int RunExport(const TExportRequest &request)
{
    if (QFileInfo(request.folder).exists() && !QFileInfo(request.folder).isDir())
        throw EJobError("\"" + Text(request.folder) + "\" is not a folder");
    TJpegPicture picture;
    TPuzzleDocument document;
    ReadPuzzle(request.puzzle, picture, document);
    QImage bitmap;
    try {
        RequirePlayablePuzzle(picture, document, GameHeldBytes(picture.Data().size(), document));
        bitmap = picture.ToBitmap();
    } catch (const EPuzzleRefused &refusal) {
        throw EJobError("\"" + Text(request.puzzle) + "\": " + refusal.what());
    } catch (const EJPEGError &error) {
        throw EJobError("the picture of \"" + Text(request.puzzle) + "\": " + error.what());
    }
    const std::optional<TPuzzleCut> cut = CutPuzzle(bitmap, document.Game());
    if (!cut)
        throw EJobError("\"" + Text(request.puzzle) +
                        "\" cannot be played: its grid is outside 1 to 100 pieces in a direction "
                        "or its picture is too small for the grid");
    WritePieceFiles(cut->pieces, request.folder);
    std::printf("%d pieces written to %s\n", static_cast<int>(cut->pieces.size()),
                Text(request.folder).c_str());
    return ExitDone;
}

// ---- Dispatch ----

// The job the arguments ask for, ready to run. Throws EUsageError when they are wrong.
std::function<int()> ParseJob(const QStringList &arguments)
{
    TArgumentReader reader(arguments);
    if (reader.AtEnd())
        throw EUsageError("no command given");
    const QString command = reader.Take();
    if (command == "--help")
        return [] {
            std::fputs(Usage.c_str(), stdout);
            return ExitDone;
        };
    if (command == "--version")
        return [] {
            std::printf("tessalune %s\n", TESSALUNE_VERSION);
            return ExitDone;
        };
    if (command == "--make")
        return [request = ParseMake(reader)] { return RunMake(request); };
    if (command == "--export-pieces")
        return [request = ParseExport(reader)] { return RunExport(request); };
    throw EUsageError("unknown command " + Text(command));
}

} // namespace

bool IsCommandLineJob(int argc, char **argv)
{
    return argc > 1 && QByteArray(argv[1]).startsWith("--");
}

int RunCommandLine(int argc, char **argv)
{
    try {
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments.append(ArgumentAsGiven(argv[i]));
        return ParseJob(arguments)();
    } catch (const EUsageError &error) {
        std::fprintf(stderr, "tessalune: %s\nTry 'tessalune --help'.\n", error.what());
        return ExitBadArguments;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tessalune: %s\n", error.what());
        return ExitFailed;
    }
}

std::string CommandLineUsageError(const QStringList &arguments)
{
    try {
        ParseJob(arguments);
    } catch (const EUsageError &error) {
        return error.what();
    }
    return {};
}
