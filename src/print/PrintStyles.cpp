// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/PrintStyles.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/Exception.h"
#include "core/Text.h"

namespace pixelary {
namespace fs = std::filesystem;

PrintStyleStore::PrintStyleStore(std::string shippedFolder, std::string userFolder)
    : shipped_folder_(std::move(shippedFolder)), user_folder_(std::move(userFolder)) {}

std::string PrintStyleStore::PathOf(const std::string& fileName) const {
    if (text::EqualsIgnoringAsciiCase(fileName, kSystemStyle)) {
        const std::string shipped = shipped_folder_ + "/" + kSystemStyle;
        std::error_code ec;
        if (fs::is_regular_file(shipped, ec)) return shipped;
    }
    return user_folder_ + "/" + fileName;
}

PrintSettings PrintStyleStore::Load(const std::string& fileName) const {
    const std::string path = PathOf(fileName);
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(path, ec)) throw EFOpenError("Cannot open file \"" + path + "\"");
    std::array<std::uint8_t, PrintSettings::kRecordSize> bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    return PrintSettings::FromBytes(std::span(bytes).first(got));
}

void PrintStyleStore::Save(const std::string& fileName, const PrintSettings& settings) const {
    std::error_code ec;
    fs::create_directories(user_folder_, ec);
    const std::string path = user_folder_ + "/" + fileName;
    const std::string temporary = path + ".new";
    const auto bytes = settings.ToBytes();
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        out.flush();
        written = static_cast<bool>(out);
    }
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        fs::remove(temporary, ec);
        throw EFCreateError("Cannot create file \"" + path + "\"");
    }
}

std::vector<std::string> PrintStyleStore::StyleNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(user_folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (!it->is_regular_file(ec)) continue;
        const std::string file = p.filename().string();
        if (text::ToLower(p.extension().string()) != kStyleExtension) continue;
        if (text::EqualsIgnoringAsciiCase(file, kSystemStyle)) continue;
        names.push_back(p.stem().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return text::ToLower(a) < text::ToLower(b);
    });
    return names;
}

}  // namespace pixelary
