#include "gui/JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>

namespace {

// Far beyond any picture of ours; keeps a damaged header from asking for gigabytes.
constexpr JDIMENSION MaxSide = 8192;

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void failDecoding(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

// libjpeg only warns about damaged data and then goes on with made-up pixels
// (a truncated file gets a fake end marker); for us any warning is a failure.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        failDecoding(cinfo);
}

void silent(j_common_ptr) {}

// The setjmp scopes below hold only plain pointers, so a longjmp out of
// libjpeg skips no destructor and leaves no local indeterminate.
bool readHeader(jpeg_decompress_struct *cinfo, ErrorManager *err, const QByteArray *data)
{
    if (setjmp(err->jump))
        return false;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char *>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    cinfo->out_color_space = JCS_RGB;
    return cinfo->image_width > 0 && cinfo->image_height > 0 && cinfo->image_width <= MaxSide
           && cinfo->image_height <= MaxSide;
}

bool readPixels(jpeg_decompress_struct *cinfo, ErrorManager *err, uchar *bits,
                qsizetype bytesPerLine)
{
    if (setjmp(err->jump))
        return false;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != 3)
        return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = bits + qsizetype(cinfo->output_scanline) * bytesPerLine;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &data)
{
    if (data.isEmpty())
        return QImage();
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = failDecoding;
    err.base.emit_message = emitMessage;
    err.base.output_message = silent;
    jpeg_create_decompress(&cinfo);

    QImage image;
    if (readHeader(&cinfo, &err, &data)) {
        image = QImage(int(cinfo.image_width), int(cinfo.image_height), QImage::Format_RGB888);
        // bits() detaches here, before the jump scope, not inside it.
        if (image.isNull() || !readPixels(&cinfo, &err, image.bits(), image.bytesPerLine()))
            image = QImage();
    }
    jpeg_destroy_decompress(&cinfo);
    return image;
}

QImage LoadJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return DecodeJpeg(file.readAll());
}
