// Copies (or moves, or deletes) objects through FileOps the way a window would: one call for the whole
// list, with a progress callback and a cancel flag that are both looked at. Timed from outside by
// bench/fileops_bench.sh against cp.
//   fileops_bench copy|move TARGET_FOLDER SOURCE... [--durable]
//   fileops_bench delete OBJECT...
#include "platform/FileOps.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    FileOps::Control control;
    if (args.removeAll(QStringLiteral("--durable")) > 0)
        control.durable = true;
    const QString verb = args.value(0);
    if ((verb != QStringLiteral("delete") && args.size() < 3) || args.size() < 2) {
        std::fprintf(stderr, "usage: fileops_bench copy|move TARGET SOURCE... [--durable] | delete OBJECT...\n");
        return 2;
    }
    std::atomic<bool> cancel{false};
    qint64 reports = 0;
    control.cancel = &cancel;
    control.onProgress = [&](const FileOps::Progress&) { ++reports; };

    FileOps::Result r;
    if (verb == QStringLiteral("copy"))
        r = FileOps::Copy(args.mid(2), args[1], control);
    else if (verb == QStringLiteral("move"))
        r = FileOps::Move(args.mid(2), args[1], control);
    else if (verb == QStringLiteral("delete"))
        r = FileOps::DeletePermanently(args.mid(1), control);
    else
        return 2;
    if (!r.ok()) {
        std::fprintf(stderr, "%s: %s (errno %d) on %s\n", qPrintable(verb), qPrintable(r.errorText), r.error,
                     qPrintable(r.failedPath));
        return 1;
    }
    std::printf("%lld objects, %lld bytes, %lld skipped, %lld progress reports\n", static_cast<long long>(r.objectsDone),
                static_cast<long long>(r.bytesDone), static_cast<long long>(r.skipped.size()),
                static_cast<long long>(reports));
    return 0;
}
