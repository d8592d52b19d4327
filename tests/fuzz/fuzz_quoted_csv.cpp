// The quoted comma-separated reader on any bytes, and the writer's round trip: every
// value the writer can hold reads back as it was written.
#include "FuzzInput.h"
#include "QuotedCsv.h"

#include <QStringList>

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QuotedValueReader reader(bytesOf(data, size));
    QStringList values;
    while (!reader.atEnd()) {
        const auto value = reader.next();
        require(value.has_value(), "a reader not at its end gives a value");
        values.append(*value);
        (void)leadingNumber(*value);
        require(values.size() <= qsizetype(size) + 1, "each value consumes input");
    }

    QStringList writable;
    for (const QString& value : values) {
        if (!value.contains(u'"') && !value.contains(u'\r') && !value.contains(u'\n'))
            writable.append(value);
    }
    if (writable.isEmpty())
        return 0;
    QuotedLineWriter writer;
    writer.textLine(writable);
    QuotedValueReader back(writer.bytes());
    require(back.nextRecord(int(writable.size())) == writable, "written values read back");
    require(back.atEnd(), "nothing follows the written line");
    return 0;
}
