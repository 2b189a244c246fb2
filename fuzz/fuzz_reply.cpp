// libFuzzer target: arbitrary bytes from the serial port through the line
// assembler, the frame check, the handshake, the record parser and the
// transfer runs into the working file, which must stay a well-formed profile
// file after every input.

#include "core/Frame.h"
#include "core/GatewaySession.h"
#include "core/IniFile.h"
#include "core/SerialPort.h"
#include "core/TransferRun.h"
#include "core/WorkingFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class FuzzPort : public SerialPort
{
public:
    bool open(const QString &, PortFailure *) override { return opened = true; }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    void clearInput() override {}
    void clearOutput() override {}
    void write(const QByteArray &) override {}
    void feed(const QByteArray &bytes) { emit received(bytes); }
    bool opened = false;
};

// Every line ends with CR LF and is a section header, a key line, a comment
// or blank: no value may have split a line or left a half one.
void checkWellFormed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray content = file.readAll();
    if (!content.isEmpty() && !content.endsWith("\r\n"))
        std::abort();
    for (const QByteArray &line : content.split('\n')) {
        if (line.isEmpty())
            continue;
        if (!line.endsWith('\r') || line.chopped(1).contains('\r'))
            std::abort();
        const QByteArray text = line.chopped(1);
        const bool header = text.startsWith('[') && text.contains(']');
        if (!text.isEmpty() && !header && !text.contains('=') && !text.startsWith(';'))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_reply";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    static WorkingFile file(dir.filePath(QStringLiteral("Velmora.ini")));
    static FuzzPort *port = nullptr;
    static GatewaySession *session = [] {
        CreateDefaultIniFile(file.path());
        auto p = std::make_unique<FuzzPort>();
        port = p.get();
        return new GatewaySession(file, std::move(p));
    }();
    if (size == 0)
        return 0;

    // The first byte chooses the state the bytes arrive in: connecting,
    // online, or online with a read-all or write-all run under way.
    const int mode = data[0] & 3;
    session->disconnect();
    PortFailure reason;
    session->connectTo(QStringLiteral("fuzz"), &reason);
    if (mode != 0) {
        session->handleLine(BuildRequestFrame("cP0101Produkt  1") + "\r\n");
        if (mode == 2)
            session->startRun(TransferRun::Kind::ReadAll);
        else if (mode == 3)
            session->startRun(TransferRun::Kind::WriteAll);
    }
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    // Fed in two pieces, so that lines split across reads are covered too.
    const qsizetype half = bytes.size() / 2;
    port->feed(bytes.left(half));
    port->feed(bytes.mid(half));
    session->run().abort(RunResult::Outcome::Stopped);
    session->writer().drain();
    checkWellFormed(file.path());
    return 0;
}
