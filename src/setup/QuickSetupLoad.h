#pragma once

#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tillora {

class PosSettingsRecord;

// What the quick setup window shows: the text of each box and list by control name
// ("Text1", "Combo5"), and the installed printers each printer list offers.
struct QuickSetupContent {
    struct Entry {
        QString control;
        QString text;
    };
    QList<Entry> texts;
    QStringList printers;

    QString text(const QString& control) const;
};

// Reads the point-of-sale settings for the quick setup window. A settings file that
// cannot be read leads to one "Enter Path" prompt; the folder typed there becomes
// DataDIR and RemoteDIR and the file is looked for in it. Sets ShiftraDIR from the file.
// Never creates or writes a file.
class QuickSetupLoad {
public:
    static constexpr auto DefaultPath = "c:\\Tillora\\TlraINI.dat";

    QuickSetupLoad(const Platform& platform, Prompts& prompts, ProgramValues& values);

    // The window's content; nothing when the file could not be read even after the
    // prompt (the window then closes).
    std::optional<QuickSetupContent> load();

    // The settings file last looked for, in Windows form.
    const QString& settingsPath() const { return path_; }

private:
    QuickSetupContent contentOf(const PosSettingsRecord& record) const;

    const Platform& platform_;
    Prompts& prompts_;
    ProgramValues& values_;
    QString path_;
};

} // namespace tillora
