// Qt for the libFuzzer programs: the printer surfaces measure text, which
// needs a GUI application, on the offscreen platform.
#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}
