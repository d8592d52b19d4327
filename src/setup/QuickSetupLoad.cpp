#include "QuickSetupLoad.h"

#include "PosSettingsRecord.h"

#include <QFileInfo>

namespace tillora {

namespace {

const QString kDefaultFolder = QStringLiteral("C:\\Tillora\\");

// Boxes filled straight from a settings field, untrimmed, in the order they are filled.
struct FieldBox {
    const char* control;
    int field;
};
constexpr FieldBox kFieldBoxes[] = {
    {"Text1", PosSettingsRecord::CompanyName},
    {"Text2", PosSettingsRecord::Address},
    {"Text3", PosSettingsRecord::CityStateZip},
    {"Text4", PosSettingsRecord::Phone},
    {"Text5", PosSettingsRecord::WebSite},
    {"Text6", PosSettingsRecord::DataDirectory},
    {"Text7", PosSettingsRecord::SalesTax},
    {"Text12", PosSettingsRecord::Password},
    {"Text14", PosSettingsRecord::ServerDirectory},
    {"Text15", PosSettingsRecord::CardessaDirectory},
    {"Text16", PosSettingsRecord::LoyvanaDirectory},
    {"Combo1", PosSettingsRecord::ReceiptPrinter},
    {"Combo7", PosSettingsRecord::BeveragePrinter},
    {"Combo9", PosSettingsRecord::SecondKitchenPrinter},
    {"Combo5", PosSettingsRecord::KitchenPrinter},
};

// Opening for reading only: a missing file is a failure, never an empty new file.
std::optional<PosSettingsRecord> readExisting(const QString& nativePath) {
    if (!QFileInfo(nativePath).isFile())
        return std::nullopt;
    return PosSettingsRecord::read(nativePath);
}

} // namespace

QString QuickSetupContent::text(const QString& control) const {
    for (const Entry& entry : texts) {
        if (entry.control == control)
            return entry.text;
    }
    return {};
}

QuickSetupLoad::QuickSetupLoad(const Platform& platform, Prompts& prompts, ProgramValues& values)
    : platform_(platform)
    , prompts_(prompts)
    , values_(values)
    , path_(QString::fromLatin1(DefaultPath)) {
}

std::optional<QuickSetupContent> QuickSetupLoad::load() {
    if (values_.DataDIR.isEmpty())
        values_.DataDIR = kDefaultFolder;
    if (values_.RemoteDIR.isEmpty())
        values_.RemoteDIR = kDefaultFolder;

    path_ = QString::fromLatin1(DefaultPath);
    std::optional<PosSettingsRecord> record = readExisting(platform_.nativePath(path_));
    if (!record) {
        std::optional<QString> folder =
            prompts_.input(QStringLiteral("Enter Path"), QStringLiteral("Error"), kDefaultFolder);
        // A cancelled or empty answer keeps the folders as they were.
        if (!folder || folder->trimmed().isEmpty())
            return std::nullopt;
        QString answer = folder->trimmed();
        if (!answer.endsWith(u'\\'))
            answer += u'\\';
        path_ = answer + QStringLiteral("TlraINI.dat");
        record = readExisting(platform_.nativePath(path_));
        // A wrong answer must not point later saves of the other settings elsewhere.
        if (!record)
            return std::nullopt;
        values_.DataDIR = answer;
        values_.RemoteDIR = answer;
    }

    const QString shiftra = record->trimmed(PosSettingsRecord::ShiftraDirectory);
    values_.ShiftraDIR = shiftra.isEmpty() ? QStringLiteral("C:\\Shiftra\\") : shiftra;
    return contentOf(*record);
}

QuickSetupContent QuickSetupLoad::contentOf(const PosSettingsRecord& record) const {
    QuickSetupContent content;
    for (const FieldBox& box : kFieldBoxes)
        content.texts.append({QString::fromLatin1(box.control), record.raw(box.field)});
    content.texts.append({QStringLiteral("Text13"), values_.ShiftraDIR});
    content.texts.append({QStringLiteral("Text8"), values_.RemoteDIR});
    content.texts.append({QStringLiteral("Text9"), values_.ShiftraDIR});
    content.printers = platform_.printerNames();
    return content;
}

} // namespace tillora
