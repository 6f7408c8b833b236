#include "engine/picture/JpegPicture.h"

#include <QIODevice>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs FILE declared first; jerror.h needs the configuration jpeglib.h includes.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

// libjpeg reports errors through a callback that must not return. The callbacks below longjmp
// back into the few functions marked "setjmp frame"; those own no C++ objects with destructors,
// so the jump skips nothing that needs cleaning up. Their callers own every buffer and always
// run jpeg_destroy_*.

namespace
{

// A progressive file can make the decoder run thousands of passes over tiny data.
constexpr int MaxProgressiveScans = 500;
// libjpeg's own working memory (whole-picture coefficients of a progressive file, for one);
// beyond this it fails instead of growing.
constexpr long MaxDecoderMemory = 1L << 30;

struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpWithMessage(j_common_ptr cinfo)
{
    auto *manager = reinterpret_cast<TJpegErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

void ErrorExit(j_common_ptr cinfo)
{
    JumpWithMessage(cinfo);
}

// Warnings that mean picture data is missing or damaged fail the decode; libjpeg would otherwise
// fill the rest of a truncated picture with grey. Harmless warnings (extra bytes between
// markers, unknown JFIF revision) are ignored.
bool IsDamagedDataWarning(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

void EmitMessage(j_common_ptr cinfo, int messageLevel)
{
    if (messageLevel < 0 && IsDamagedDataWarning(cinfo->err->msg_code))
        JumpWithMessage(cinfo);
}

void LimitScans(j_common_ptr cinfo)
{
    auto *decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > MaxProgressiveScans) {
        std::snprintf(reinterpret_cast<TJpegErrorManager *>(cinfo->err)->message, JMSG_LENGTH_MAX,
                      "JPEG data has more than %d scans", MaxProgressiveScans);
        std::longjmp(reinterpret_cast<TJpegErrorManager *>(cinfo->err)->jump, 1);
    }
}

void InstallErrorManager(j_common_ptr cinfo, TJpegErrorManager &manager)
{
    cinfo->err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = ErrorExit;
    manager.pub.emit_message = EmitMessage;
    manager.message[0] = '\0';
}

// ---- Decoding ----

struct TDecoder {
    jpeg_decompress_struct cinfo;
    TJpegErrorManager error;
    jpeg_progress_mgr progress;
    bool created = false;
};

// setjmp frame. Reads the header and fixes the output settings; the output size is then known.
bool ReadHeader(TDecoder &decoder, const unsigned char *data, unsigned long size)
{
    jpeg_decompress_struct &cinfo = decoder.cinfo;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), decoder.error);
    if (setjmp(decoder.error.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    decoder.created = true;
    cinfo.mem->max_memory_to_use = MaxDecoderMemory;
    decoder.progress.progress_monitor = LimitScans;
    cinfo.progress = &decoder.progress;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);

    const bool isCmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = isCmyk ? JCS_CMYK : JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    cinfo.do_block_smoothing = TRUE;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    cinfo.quantize_colors = FALSE;
    cinfo.buffered_image = FALSE;
    jpeg_calc_output_dimensions(&cinfo);
    return true;
}

// CMYK JPEG files in practice come from Adobe software, which stores the channels inverted
// (255 = no ink); other readers assume the same.
void CmykRowToRgb(const unsigned char *cmyk, unsigned char *rgb, int width)
{
    for (int x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        for (int channel = 0; channel < 3; ++channel)
            rgb[channel] = static_cast<unsigned char>((cmyk[channel] * cmyk[3] + 127) / 255);
    }
}

// setjmp frame. Starts the decompression; output rows can be read from then on.
bool StartPixels(TDecoder &decoder)
{
    if (setjmp(decoder.error.jump))
        return false;
    jpeg_start_decompress(&decoder.cinfo);
    return true;
}

// setjmp frame. Decodes the next count rows into the caller's 24-bit rows; cmykRow holds one
// CMYK row when the output is CMYK. Finishes the decompression after the last row.
bool ReadPixelRows(TDecoder &decoder, unsigned char *firstRow, std::size_t bytesPerRow, int count,
                   unsigned char *cmykRow)
{
    jpeg_decompress_struct &cinfo = decoder.cinfo;
    if (setjmp(decoder.error.jump))
        return false;
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    for (int i = 0; i < count; ++i) {
        unsigned char *row = firstRow + bytesPerRow * static_cast<std::size_t>(i);
        JSAMPROW target = cmyk ? cmykRow : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1)
            ERREXIT(&cinfo, JERR_INPUT_EOF);
        if (cmyk)
            CmykRowToRgb(cmykRow, row, static_cast<int>(cinfo.output_width));
    }
    if (cinfo.output_scanline == cinfo.output_height)
        jpeg_finish_decompress(&cinfo);
    return true;
}

// Runs jpeg_destroy on every path out of a decode.
class TDecoderGuard
{
public:
    explicit TDecoderGuard(TDecoder &decoder) : m_decoder(decoder) {}
    ~TDecoderGuard()
    {
        if (m_decoder.created)
            jpeg_destroy_decompress(&m_decoder.cinfo);
    }
    TDecoderGuard(const TDecoderGuard &) = delete;
    TDecoderGuard &operator=(const TDecoderGuard &) = delete;

private:
    TDecoder &m_decoder;
};

[[noreturn]] void ThrowDecodeError(const TDecoder &decoder)
{
    throw EJPEGError(std::string("Cannot read JPEG picture: ") + decoder.error.message);
}

// Many writers leave out the end marker. With one added, a file that lacks only the marker
// decodes whole, while a truncated one still runs out of data in mid-picture.
QByteArray WithEndMarker(const QByteArray &bytes)
{
    const QByteArrayView endMarker("\xFF\xD9", 2);
    return bytes.endsWith(endMarker) ? bytes : QByteArray(bytes).append(endMarker);
}

// bytes must outlive the decoder, which reads them in place.
void OpenDecoder(TDecoder &decoder, const QByteArray &bytes)
{
    if (!ReadHeader(decoder, reinterpret_cast<const unsigned char *>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size())))
        ThrowDecodeError(decoder);
}

void CheckPixelLimit(std::int64_t width, std::int64_t height)
{
    if (width * height > JpegPixelLimit)
        throw EJPEGError("JPEG picture of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels is larger than the limit of " +
                         std::to_string(JpegPixelLimit) + " pixels");
}

QSize ReadJpegSize(const QByteArray &file)
{
    const QByteArray bytes = WithEndMarker(file);
    TDecoder decoder;
    TDecoderGuard guard(decoder);
    OpenDecoder(decoder, bytes);
    return QSize(static_cast<int>(decoder.cinfo.output_width),
                 static_cast<int>(decoder.cinfo.output_height));
}

// libjpeg keeps every coefficient of a file with several scans (progressive ones, for a start)
// until its last scan: one 64-sample block of 2-byte values per 8 × 8 samples of each
// component, rounded up to whole sampling units as its coefficient controller allocates them.
std::int64_t ReadCoefficientBufferBytes(const QByteArray &file)
{
    const QByteArray bytes = WithEndMarker(file);
    TDecoder decoder;
    TDecoderGuard guard(decoder);
    OpenDecoder(decoder, bytes);
    jpeg_decompress_struct &cinfo = decoder.cinfo;
    if (!jpeg_has_multiple_scans(&cinfo))
        return 0;
    std::int64_t bytesNeeded = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info &component = cinfo.comp_info[i];
        const auto roundUp = [](std::int64_t value, std::int64_t unit) {
            return (value + unit - 1) / unit * unit;
        };
        bytesNeeded += roundUp(component.width_in_blocks, component.h_samp_factor) *
                       roundUp(component.height_in_blocks, component.v_samp_factor) *
                       std::int64_t{sizeof(JBLOCK)};
    }
    return bytesNeeded;
}

// ---- Encoding ----

// A destination that grows a malloc'd buffer owned by the caller, so that a failed encode
// leaves nothing behind that the caller cannot free.
struct TGrowingDestination {
    jpeg_destination_mgr pub;
    unsigned char *buffer = nullptr;
    std::size_t capacity = 0;
};

constexpr std::size_t InitialOutputSize = 64 * 1024;

void InitDestination(j_compress_ptr cinfo)
{
    auto *destination = reinterpret_cast<TGrowingDestination *>(cinfo->dest);
    destination->buffer = static_cast<unsigned char *>(std::malloc(InitialOutputSize));
    if (destination->buffer == nullptr)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    destination->capacity = InitialOutputSize;
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = destination->capacity;
}

boolean GrowDestination(j_compress_ptr cinfo)
{
    auto *destination = reinterpret_cast<TGrowingDestination *>(cinfo->dest);
    const std::size_t newCapacity = destination->capacity * 2;
    auto *grown = static_cast<unsigned char *>(std::realloc(destination->buffer, newCapacity));
    if (grown == nullptr)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    destination->buffer = grown;
    destination->pub.next_output_byte = grown + destination->capacity;
    destination->pub.free_in_buffer = newCapacity - destination->capacity;
    destination->capacity = newCapacity;
    return TRUE;
}

void TermDestination(j_compress_ptr)
{
}

struct TEncoder {
    jpeg_compress_struct cinfo;
    TJpegErrorManager error;
    TGrowingDestination destination;
    bool created = false;
};

// setjmp frame. Encodes 24-bit rows at the program's fixed settings.
bool EncodeRows(TEncoder &encoder, const unsigned char *firstRow, std::size_t bytesPerRow,
                int width, int height)
{
    jpeg_compress_struct &cinfo = encoder.cinfo;
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&cinfo), encoder.error);
    if (setjmp(encoder.error.jump))
        return false;
    jpeg_create_compress(&cinfo);
    encoder.created = true;
    encoder.destination.pub.init_destination = InitDestination;
    encoder.destination.pub.empty_output_buffer = GrowDestination;
    encoder.destination.pub.term_destination = TermDestination;
    cinfo.dest = &encoder.destination.pub;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, JpegQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg's row type is not const, but the encoder only reads the rows.
        auto *row = const_cast<unsigned char *>(firstRow + bytesPerRow * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

class TEncoderGuard
{
public:
    explicit TEncoderGuard(TEncoder &encoder) : m_encoder(encoder) {}
    ~TEncoderGuard()
    {
        if (m_encoder.created)
            jpeg_destroy_compress(&m_encoder.cinfo);
        std::free(m_encoder.destination.buffer);
    }
    TEncoderGuard(const TEncoderGuard &) = delete;
    TEncoderGuard &operator=(const TEncoderGuard &) = delete;

private:
    TEncoder &m_encoder;
};

QByteArray EncodeJpeg(const QImage &bitmap)
{
    TEncoder encoder;
    TEncoderGuard guard(encoder);
    if (!EncodeRows(encoder, bitmap.constBits(), static_cast<std::size_t>(bitmap.bytesPerLine()),
                    bitmap.width(), bitmap.height()))
        throw EJPEGError(std::string("Cannot write JPEG picture: ") + encoder.error.message);
    const std::size_t written =
        encoder.destination.capacity - encoder.destination.pub.free_in_buffer;
    return QByteArray(reinterpret_cast<const char *>(encoder.destination.buffer),
                      static_cast<qsizetype>(written));
}

} // namespace

void TJpegPicture::SaveToStream(QIODevice &stream) const
{
    const QByteArray bytes = Data();
    if (stream.write(bytes) != bytes.size())
        throw EJPEGError("Cannot write JPEG picture: " + stream.errorString().toStdString());
}

void TJpegPicture::Assign(const QImage &bitmap)
{
    m_data.clear();
    m_pendingBitmap = bitmap.isNull() ? QImage() : bitmap.convertToFormat(QImage::Format_RGB888);
}

QByteArray TJpegPicture::Data() const
{
    if (!m_pendingBitmap.isNull()) {
        m_data = EncodeJpeg(m_pendingBitmap);
        m_pendingBitmap = QImage();
    }
    return m_data;
}

void TJpegPicture::SetData(const QByteArray &bytes)
{
    m_pendingBitmap = QImage();
    m_data = bytes;
}

QImage TJpegPicture::ToBitmap() const
{
    if (!m_pendingBitmap.isNull())
        return m_pendingBitmap.copy();
    if (m_data.isEmpty())
        return QImage();
    TJpegRowReader reader(*this);
    const QSize size = reader.Size();
    QImage bitmap(size, QImage::Format_RGB888);
    if (bitmap.isNull())
        throw EJPEGError("Not enough memory for a JPEG picture of " + std::to_string(size.width()) +
                         " x " + std::to_string(size.height()) + " pixels");
    reader.ReadRows(bitmap.bits(), bitmap.bytesPerLine(), size.height());
    return bitmap;
}

struct TJpegRowReader::TState {
    TState() = default;
    TState(const TState &) = delete;
    TState &operator=(const TState &) = delete;
    // Also when the reader's constructor fails after the decoder was created.
    ~TState()
    {
        if (decoder.created)
            jpeg_destroy_decompress(&decoder.cinfo);
    }

    QByteArray bytes;
    TDecoder decoder;
    QByteArray cmykRow;
    // The assigned bitmap while the picture is not encoded; rows are copied from it.
    QImage bitmap;
    QSize size;
    int nextRow = 0;
};

TJpegRowReader::TJpegRowReader(const TJpegPicture &picture) : m_state(std::make_unique<TState>())
{
    if (picture.Empty())
        throw EJPEGError("The picture is empty");
    if (!picture.m_pendingBitmap.isNull()) {
        m_state->bitmap = picture.m_pendingBitmap;
        m_state->size = m_state->bitmap.size();
        return;
    }
    m_state->bytes = WithEndMarker(picture.m_data);
    TDecoder &decoder = m_state->decoder;
    OpenDecoder(decoder, m_state->bytes);
    const std::int64_t width = decoder.cinfo.output_width;
    const std::int64_t height = decoder.cinfo.output_height;
    CheckPixelLimit(width, height);
    m_state->size = QSize(static_cast<int>(width), static_cast<int>(height));
    if (decoder.cinfo.out_color_space == JCS_CMYK)
        m_state->cmykRow.resize(static_cast<qsizetype>(width) * 4);
    if (!StartPixels(decoder))
        ThrowDecodeError(decoder);
}

TJpegRowReader::~TJpegRowReader() = default;

QSize TJpegRowReader::Size() const
{
    return m_state->size;
}

void TJpegRowReader::ReadRows(unsigned char *firstRow, qsizetype bytesPerLine, int count)
{
    TState &state = *m_state;
    if (count < 0 || count > state.size.height() - state.nextRow)
        throw EJPEGError("Cannot read JPEG picture: rows beyond its end were asked for");
    if (!state.bitmap.isNull()) {
        const auto rowBytes = static_cast<std::size_t>(state.size.width()) * 3;
        for (int i = 0; i < count; ++i)
            std::memcpy(firstRow + bytesPerLine * i, state.bitmap.constScanLine(state.nextRow + i),
                        rowBytes);
    } else if (!ReadPixelRows(state.decoder, firstRow, static_cast<std::size_t>(bytesPerLine),
                              count, reinterpret_cast<unsigned char *>(state.cmykRow.data()))) {
        ThrowDecodeError(state.decoder);
    }
    state.nextRow += count;
}

QSize TJpegPicture::Size() const
{
    if (!m_pendingBitmap.isNull())
        return m_pendingBitmap.size();
    if (m_data.isEmpty())
        return QSize(0, 0);
    return ReadJpegSize(m_data);
}

int TJpegPicture::Width() const
{
    return Size().width();
}

int TJpegPicture::Height() const
{
    return Size().height();
}

std::int64_t TJpegPicture::DecoderBufferBytes() const
{
    // An assigned bitmap is encoded as a baseline file, which needs no such buffers.
    if (!m_pendingBitmap.isNull() || m_data.isEmpty())
        return 0;
    return ReadCoefficientBufferBytes(m_data);
}

std::int64_t TJpegPicture::HeldBytes() const
{
    return m_pendingBitmap.sizeInBytes() + m_data.size();
}

std::int64_t MemoryLeftBeside(const TJpegPicture *held)
{
    return MemoryBudget - (held ? held->HeldBytes() : 0);
}

bool TJpegPicture::Empty() const
{
    return m_pendingBitmap.isNull() && m_data.isEmpty();
}
