// The RTF reader of the licence and readme editors: what it reads, written as RTF, reads back to
// the same text, and writing that again gives the same RTF.
#include "FuzzContract.h"

#include "ui/RtfReader.h"
#include "ui/RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

using kf::fuzz::Require;

extern "C" int LLVMFuzzerInitialize(int* anArgc, char*** anArgv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts and colours need the application object.
    static QGuiApplication application(*anArgc, *anArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    QTextDocument document;
    kf::ReadRtf(kf::fuzz::BytesOf(aData, aSize), document);
    const std::string written = kf::WriteRtf(document);
    QTextDocument again;
    kf::ReadRtf(written, again);
    Require(again.toPlainText() == document.toPlainText(), "the written RTF reads back to the same text");
    Require(kf::WriteRtf(again) == written, "RTF written from what was read back is the same");
    return 0;
}
