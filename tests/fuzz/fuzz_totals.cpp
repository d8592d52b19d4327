// The sales and discount totals over any tender and discount file.
#include "FuzzInput.h"
#include "PosTotals.h"

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (const TotalResult& result : {sumTenders(bytes), sumDiscounts(bytes)}) {
        require(result.total || !result.reason.isEmpty(), "a missing total has a reason");
        if (result.total) {
            (void)result.labelText(us);
            (void)hashPatternAmount(*result.total);
        }
    }
    return 0;
}
