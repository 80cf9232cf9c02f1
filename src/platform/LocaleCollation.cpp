// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LocaleCollation.h"

#include <QCollator>
#include <QString>

#include "core/Text.h"

namespace pixelary::platform {

namespace {

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A collator is not safe to share between threads; each thread keeps its own, made again when
// the program's locale changes.
QCollator& ThreadCollator() {
    thread_local QCollator collator;
    thread_local bool ready = false;
    const QLocale locale;
    if (!ready || collator.locale() != locale) {
        collator = QCollator(locale);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        ready = true;
    }
    return collator;
}

int Sign(int value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The collator's own sort key: it orders as the collator's comparison does.
class SortKeyOfCollator : public text::CollationKey {
  public:
    explicit SortKeyOfCollator(QCollatorSortKey key)
        : CollationKey(&kFamily), key_(std::move(key)) {}
    int Compare(const text::CollationKey& other) const override {
        if (!SameFamily(other)) return 0;
        return Sign(key_.compare(static_cast<const SortKeyOfCollator&>(other).key_));
    }

  private:
    static constexpr char kFamily = 0;
    QCollatorSortKey key_;
};

// In the C locale the collator compares UTF-16 code units, which order supplementary characters
// differently from the UTF-8 bytes its sort keys hold; the text itself is the key then.
class Utf16Key : public text::CollationKey {
  public:
    explicit Utf16Key(QString text) : CollationKey(&kFamily), text_(std::move(text)) {}
    int Compare(const text::CollationKey& other) const override {
        if (!SameFamily(other)) return 0;
        return Sign(text_.compare(static_cast<const Utf16Key&>(other).text_, Qt::CaseSensitive));
    }

  private:
    static constexpr char kFamily = 0;
    QString text_;
};

}  // namespace

std::unique_ptr<text::CollationKey> LocaleCollationKey(std::string_view text) {
    QCollator& collator = ThreadCollator();
    if (collator.locale().language() == QLocale::C)
        return std::make_unique<Utf16Key>(FromUtf8(text));
    return std::make_unique<SortKeyOfCollator>(collator.sortKey(FromUtf8(text)));
}

int LocaleCollatedCompare(std::string_view a, std::string_view b) {
    return Sign(ThreadCollator().compare(FromUtf8(a), FromUtf8(b)));
}

void InstallLocaleCompare() {
    text::SetLocaleCompare(&LocaleCollatedCompare);
    text::SetLocaleCollationKey(&LocaleCollationKey);
}

}  // namespace pixelary::platform
