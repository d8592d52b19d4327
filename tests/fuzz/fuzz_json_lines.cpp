// The JSON-lines logs (run history, files not copied, alert outbox) on any bytes: damaged
// lines are skipped, never a crash, and what was kept writes back and reads back the same.
#include "FuzzInput.h"
#include "JsonLines.h"

#include <QTemporaryDir>

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log"));
    require(saveFileAtomically(path, bytesOf(data, size)).ok, "the input is written");

    const JsonLines read = readJsonLines(path);
    const qsizetype lines = bytesOf(data, size).count('\n') + 1;
    require(read.objects.size() + read.damaged <= lines, "each line is one record at most");

    require(writeJsonLines(path, read.objects).ok, "the kept records are written");
    const JsonLines again = readJsonLines(path);
    require(again.damaged == 0, "written records read back whole");
    require(again.objects == read.objects, "written records read back the same");
    return 0;
}
