// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <QDir>
#include <QLoggingCategory>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <cstdlib>
#include <functional>
#include <limits>

#include "core/Exception.h"

Q_LOGGING_CATEGORY(lcSettings, "pixelary.settings", QtWarningMsg)

namespace pixelary {
namespace {

constexpr const char* kOrganisation = "Norvanti";
constexpr const char* kApplication = "Pixelary";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Ini-backed stores keep every value as text, so a number is accepted as an integer variant or
// as a text that is a 32-bit integer; anything else (a list, bytes, letters) is the wrong type.
std::int32_t ToInteger(const QVariant& value, const char* name) {
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    const bool scalar =
        value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QByteArray;
    if (!ok || !scalar || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
        throw ERegistryException(std::string("Invalid data type for '") + name + "'");
    }
    return static_cast<std::int32_t>(number);
}

std::string ToText(const QVariant& value, const char* name) {
    if (value.typeId() != QMetaType::QString) {
        throw ERegistryException(std::string("Invalid data type for '") + name + "'");
    }
    return value.toString().toStdString();
}

// One stored value: its name and how it is read from and written to the record.
struct Field {
    const char* name;
    std::function<void(Settings&, const QVariant&)> read;
    std::function<QVariant(const Settings&)> write;
};

template <std::string Settings::*member>
Field TextField(const char* name) {
    return {name, [name](Settings& s, const QVariant& v) { s.*member = ToText(v, name); },
            [](const Settings& s) { return QVariant(Q(s.*member)); }};
}

template <std::int32_t Settings::*member>
Field IntegerField(const char* name) {
    return {name, [name](Settings& s, const QVariant& v) { s.*member = ToInteger(v, name); },
            [](const Settings& s) { return QVariant(s.*member); }};
}

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        TextField<&Settings::CachePath>("Cache path"),
        IntegerField<&Settings::CacheSize>("Cache size"),
        IntegerField<&Settings::OpenFileMouse>("Open file mouse"),
        TextField<&Settings::PrintModal>("Print modal"),
        TextField<&Settings::PrintFrameBitmap>("Print frame bitmap"),
        TextField<&Settings::TwainFileName>("TWAIN file name"),
        TextField<&Settings::TwainFileFormat>("TWAIN file format"),
        IntegerField<&Settings::TwainFileStartNum>("TWAIN file start num"),
        IntegerField<&Settings::TwainFileStepNum>("TWAIN file step num"),
        IntegerField<&Settings::TwainJpegQuality>("TWAIN jpeg quality"),
        IntegerField<&Settings::TwainJpegSmooty>("TWAIN jpeg smooty"),
    };
    return fields;
}

// The directory chain must exist before the cache can use it; failures are left to the
// cache's own fallback.
std::string MakeCacheDirectories(const std::string& windowsDirectory) {
    QDir().mkpath(Q(windowsDirectory));
    const std::string temp = windowsDirectory + "/Temp";
    QDir().mkdir(Q(temp));
    const std::string cache = DefaultCachePath(windowsDirectory);
    QDir().mkdir(Q(cache));
    return cache;
}

QSettings& UserStore() {
    static QSettings store(kOrganisation, kApplication);
    return store;
}

}  // namespace

Settings& ProcessSettings() {
    static Settings settings;
    return settings;
}

std::string WindowsDirectory() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') return std::string(data) + "/" + kApplication;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share/" + kApplication;
}

std::string DefaultCachePath(const std::string& windowsDirectory) {
    return windowsDirectory + "/Temp/PixCache";
}

void LoadSettings(Settings& settings, QSettings& store, const std::string& windowsDirectory) {
    settings = Settings{};
    settings.CachePath = MakeCacheDirectories(windowsDirectory);
    for (const Field& field : Fields()) {
        const QVariant value = store.value(field.name);
        if (!value.isValid()) continue;
        try {
            field.read(settings, value);
        } catch (const ERegistryException& e) {
            qCWarning(lcSettings) << e.what();
            throw;
        }
    }
}

bool SaveSettings(const Settings& settings, QSettings& store) {
    // Atomic sync (Qt's default, relied on here): the file is written anew, flushed to disk and
    // renamed over the old one, so a crash leaves the old settings or the new, never half.
    store.setAtomicSyncRequired(true);
    for (const Field& field : Fields()) store.setValue(field.name, field.write(settings));
    store.sync();
    return store.status() == QSettings::NoError;
}

void LoadSettings() {
    LoadSettings(ProcessSettings(), UserStore(), WindowsDirectory());
}

bool SaveSettings() {
    return SaveSettings(ProcessSettings(), UserStore());
}

}  // namespace pixelary
