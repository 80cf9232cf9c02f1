// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Text.h"

#include <atomic>
#include <cwctype>

namespace pixelary::text {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one code point at s[i]; advances i. Invalid bytes yield themselves.
char32_t DecodeAt(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const int extra = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
        ++i;
        return lead;
    }
    char32_t cp = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if (!IsContinuation(next)) {
            ++i;
            return lead;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int ByteCompare(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::atomic<CompareFunction> g_compare{&ByteCompare};

// Without a key function of the platform: the text itself, compared by the installed comparison.
class TextKey : public CollationKey {
  public:
    explicit TextKey(std::string_view text) : CollationKey(&kFamily), text_(text) {}
    int Compare(const CollationKey& other) const override {
        if (!SameFamily(other)) return 0;
        const auto* theirs = static_cast<const TextKey*>(&other);
        const int c = g_compare.load()(text_, theirs->text_);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }

  private:
    static constexpr char kFamily = 0;
    std::string text_;
};

std::unique_ptr<CollationKey> MakeTextKey(std::string_view text) {
    return std::make_unique<TextKey>(text);
}

std::atomic<CollationKeyFunction> g_make_key{&MakeTextKey};

}  // namespace

std::size_t CodePointCount(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) DecodeAt(s, i);
    return count;
}

std::string ToLower(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t start = i;
        const char32_t cp = DecodeAt(s, i);
        if (cp < 0x80) {
            out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + ('a' - 'A') : cp);
        } else if (i - start == 1) {
            out += s[start];  // an invalid byte stays as it was
        } else {
            AppendUtf8(out, static_cast<char32_t>(std::towlower(static_cast<wint_t>(cp))));
        }
    }
    return out;
}

std::size_t LastIndexOf(std::string_view s, char c) {
    std::size_t found = std::string_view::npos;
    std::size_t index = 0;
    for (std::size_t i = 0; i < s.size(); ++index) {
        if (s[i] == c) found = index;
        DecodeAt(s, i);
    }
    return found;
}

std::string LeftCodePoints(std::string_view s, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < s.size(); ++n) DecodeAt(s, i);
    return std::string(s.substr(0, i));
}

std::string WithoutTrailingSlash(std::string_view path) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return std::string(path);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void SetLocaleCompare(CompareFunction compare) {
    g_compare.store(compare != nullptr ? compare : &ByteCompare);
    g_make_key.store(&MakeTextKey);
}

int LocaleCompare(std::string_view a, std::string_view b) {
    if (a == b) return 0;
    const int c = g_compare.load()(a, b);
    if (c != 0) return c < 0 ? -1 : 1;
    return ByteCompare(a, b);  // only identical texts are equal
}

void SetLocaleCollationKey(CollationKeyFunction make) {
    g_make_key.store(make != nullptr ? make : &MakeTextKey);
}

std::unique_ptr<CollationKey> LocaleCollationKey(std::string_view text) {
    return g_make_key.load()(text);
}

int CompareCollated(const CollationKey& keyA, std::string_view a, const CollationKey& keyB,
                    std::string_view b) {
    if (a == b) return 0;
    const int c = keyA.Compare(keyB);
    if (c != 0) return c < 0 ? -1 : 1;
    return ByteCompare(a, b);  // only identical texts are equal
}

}  // namespace pixelary::text
