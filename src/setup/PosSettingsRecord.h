#pragma once

#include "FixedRecord.h"

#include <QString>

#include <optional>

namespace tillora {

// The point-of-sale settings file "TlraIni.dat": one 2300-byte record of 204 fixed-width
// text fields. This system only reads it.
class PosSettingsRecord {
public:
    static constexpr int RecordLength = 2300;
    static constexpr int FieldCount = 204;

    // Field numbers the system reads.
    enum Field : int {
        CompanyName = 0,
        Address = 1,
        CityStateZip = 2,
        Phone = 3,
        WebSite = 4,
        DataDirectory = 5,
        SalesTax = 6,
        ReceiptPrinter = 7,
        Password = 26,
        KitchenPrinter = 28,
        BeveragePrinter = 34,
        ShiftraDirectory = 39,
        ServerDirectory = 48,
        CardessaDirectory = 50,
        LoyvanaDirectory = 51,
        SecondKitchenPrinter = 72,
    };

    PosSettingsRecord();
    explicit PosSettingsRecord(FixedRecord record);

    // Offset and width of any of the 204 fields.
    static FieldSpec spec(int field);

    // Reads record 1 of the file at `nativePath`; a shorter file reads its missing bytes
    // as blanks. Nothing when the file cannot be opened.
    static std::optional<PosSettingsRecord> read(const QString& nativePath);

    // The file held the whole record: a shorter one is empty or was cut short.
    bool complete() const { return storedLength_ == RecordLength; }

    QString raw(int field) const { return record_.raw(spec(field)); }
    // The field without surrounding blanks, as the system uses it. Blank when the file
    // ends inside the field or the field holds bytes that are not text (NUL and other
    // control characters of a damaged file): such a value must never become a folder.
    QString trimmed(int field) const;
    void set(int field, const QString& text) { record_.set(spec(field), text); }
    const QByteArray& bytes() const { return record_.bytes(); }

private:
    FixedRecord record_;
    int storedLength_ = RecordLength; // bytes of the record the file held
};

} // namespace tillora
