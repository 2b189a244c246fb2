// libFuzzer target: arbitrary bytes from the serial port through the line
// assembler and the reply handling of the device link.

#include "core/SerialPort.h"
#include "link/F_FormVerbindung.h"
#include "gui/ErrorReport.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {
class FuzzPort : public SerialPort
{
public:
    bool open(const QString &, QString *) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    void clearInput() override {}
    void clearOutput() override {}
    void write(const QByteArray &) override {}
    void feed(const QByteArray &bytes) { emit received(bytes); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_reply";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    // Conversion errors of bad records are reported to the user in the
    // program; here they are only counted as handled.
    static const bool quiet = [] {
        SetErrorReportHandler([](const QString &) {});
        return true;
    }();
    (void)quiet;
    static FuzzPort *port = nullptr;
    static TFormVerbindung *link = [] {
        auto p = std::make_unique<FuzzPort>();
        port = p.get();
        return new TFormVerbindung(nullptr, std::move(p));
    }();
    // The first byte chooses the link state the bytes arrive in.
    if (size == 0)
        return 0;
    link->Connecting = (data[0] & 1) != 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    // Fed in two pieces, so that lines split across reads are covered too.
    const qsizetype half = bytes.size() / 2;
    port->feed(bytes.left(half));
    port->feed(bytes.mid(half));
    return 0;
}
