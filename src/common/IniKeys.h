#pragma once

#include "IniFile.h"

#include <QVariantMap>

#include <array>
#include <functional>
#include <limits>

namespace tillora {

// One key of a settings file, declared once: where it is stored ("Group/Key") and the
// member that holds it. The member's type is the key's type, and its initial value in a
// default-made `Settings` is the key's default. A missing or damaged value reads as the
// default: a switch is read by iniBool, a number by iniNumber, a text is trimmed.
template <typename Settings> class IniKey {
public:
    IniKey(const char* name, bool Settings::*member)
        : read_([=](const QVariantMap& stored, Settings& settings) {
            settings.*member = iniBool(stored, QLatin1String(name), settings.*member);
        })
        , write_(writer(name, member)) {}
    // A number outside `lowest`..`highest` reads as the default.
    IniKey(const char* name, int Settings::*member, int lowest = 0,
           int highest = std::numeric_limits<int>::max())
        : read_([=](const QVariantMap& stored, Settings& settings) {
            settings.*member =
                iniNumber(stored, QLatin1String(name), settings.*member, lowest, highest);
        })
        , write_(writer(name, member)) {}
    IniKey(const char* name, QString Settings::*member)
        : read_([=](const QVariantMap& stored, Settings& settings) {
            const QVariant value = stored.value(QLatin1String(name));
            if (value.isValid())
                settings.*member = value.toString().trimmed();
        })
        , write_(writer(name, member)) {}

    void read(const QVariantMap& stored, Settings& settings) const { read_(stored, settings); }
    void write(QVariantMap& stored, const Settings& settings) const { write_(stored, settings); }

private:
    using Reader = std::function<void(const QVariantMap&, Settings&)>;
    using Writer = std::function<void(QVariantMap&, const Settings&)>;

    // Switches are stored as "true"/"false", numbers and texts as they are.
    template <typename Value> static Writer writer(const char* name, Value Settings::*member) {
        return [=](QVariantMap& stored, const Settings& settings) {
            stored.insert(QLatin1String(name), settings.*member);
        };
    }

    Reader read_;
    Writer write_;
};

// The settings as stored, each key that is missing or damaged at its default.
template <typename Settings, std::size_t N>
Settings readIniKeys(const QVariantMap& stored, const std::array<IniKey<Settings>, N>& keys) {
    Settings settings;
    for (const IniKey<Settings>& key : keys)
        key.read(stored, settings);
    return settings;
}

// Puts the settings into `stored`, leaving its other keys as they are.
template <typename Settings, std::size_t N>
void writeIniKeys(QVariantMap& stored, const std::array<IniKey<Settings>, N>& keys,
                  const Settings& settings) {
    for (const IniKey<Settings>& key : keys)
        key.write(stored, settings);
}

} // namespace tillora
