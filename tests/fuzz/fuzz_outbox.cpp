// The alert outbox's own reader on any bytes: an entry it keeps owes a channel, and the
// file it rewrites after an answer reads back with the same entries.
#include "FuzzInput.h"
#include "Outbox.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Outbox.dat"));
    QFile input(path);
    require(input.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                input.write(bytesOf(data, size)) == qint64(size),
            "the input is written");
    input.close();

    Outbox outbox(path);
    for (const OutboxEntry& entry : outbox.entries())
        require(!entry.id.isEmpty() && !entry.channelsOwed.isEmpty(), "a kept entry owes a send");
    if (outbox.entries().isEmpty())
        return 0;

    const OutboxEntry first = outbox.entries().first();
    outbox.markSent(first.id, {first.channelsOwed.first()});
    const Outbox again(path);
    require(again.entries().size() == outbox.entries().size(), "the rewrite keeps every entry");
    for (qsizetype i = 0; i < again.entries().size(); ++i)
        require(again.entries()[i].channelsOwed == outbox.entries()[i].channelsOwed,
                "an entry owes what it owed");
    return 0;
}
