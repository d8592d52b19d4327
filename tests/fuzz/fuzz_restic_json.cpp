// What restic prints, read as the off-site step reads it: the backup's JSON lines, the
// snapshot list and the reason taken from its error output.
#include "FuzzInput.h"
#include "ResticJson.h"

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    ResticBackupOutput output;
    for (const QByteArray& line : bytes.split('\n'))
        (void)output.addLine(line);
    (void)parseResticSnapshots(bytes);
    require(!resticReason(bytes).contains(u'\n'), "the reason is one line");
    return 0;
}
