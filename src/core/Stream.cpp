// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Stream.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "core/RegularFile.h"

namespace pixelary {

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void Stream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::uint8_t Stream::ReadU8() {
    std::uint8_t value = 0;
    ReadBuffer(&value, 1);
    return value;
}

std::uint16_t Stream::ReadU16LE() {
    std::uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Stream::ReadU32LE() {
    std::uint8_t b[4];
    ReadBuffer(b, 4);
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
           (std::uint32_t{b[3]} << 24);
}

std::uint16_t Stream::ReadU16BE() {
    std::uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}

std::uint32_t Stream::ReadU32BE() {
    std::uint8_t b[4];
    ReadBuffer(b, 4);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           std::uint32_t{b[3]};
}

void Stream::WriteU16LE(std::uint16_t value) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(value),
                               static_cast<std::uint8_t>(value >> 8)};
    WriteBuffer(b, 2);
}

void Stream::WriteU32LE(std::uint32_t value) {
    const std::uint8_t b[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    WriteBuffer(b, 4);
}

std::int64_t Stream::CopyFrom(Stream& source, std::int64_t count) {
    if (count < 0) count = source.Remaining();
    std::uint8_t chunk[64 * 1024];
    std::int64_t left = count;
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, sizeof chunk));
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

// ---- MemoryStream ----

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current) base = static_cast<std::int64_t>(position_);
    if (origin == SeekOrigin::End) base = Size();
    const std::int64_t target = base + offset;
    if (target < 0) throw EStreamError("Stream seek error");
    position_ = static_cast<std::size_t>(target);
    return target;
}

void MemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

void MemoryStream::SetSize(std::size_t size) {
    bytes_.resize(size);
    position_ = std::min(position_, size);
}

void MemoryStream::LoadFromFile(const std::string& path) {
    FileStream file(path, FileMode::OpenRead);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    bytes_ = std::move(bytes);
    position_ = 0;
}

void MemoryStream::SaveToFile(const std::string& path) const {
    FileStream file(path, FileMode::Create);
    file.WriteBuffer(bytes_.data(), bytes_.size());
    file.Close();
}

// ---- FileStream ----

FileStream::FileStream(const std::string& path, FileMode mode) : path_(path) {
    if (mode == FileMode::OpenRead) {
        file_ = OpenRegularFileStream(path.c_str());
    } else {
        file_ = std::fopen(path.c_str(), mode == FileMode::Create ? "wb" : "r+b");
    }
    if (file_ == nullptr) {
        if (mode == FileMode::Create) throw EFCreateError("Cannot create file \"" + path + "\"");
        throw EFOpenError("Cannot open file \"" + path + "\"");
    }
}

FileStream::~FileStream() {
    if (file_ != nullptr) std::fclose(file_);
}

void FileStream::Close() {
    if (file_ == nullptr) return;
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) throw EWriteError();
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    return file_ != nullptr ? std::fread(buffer, 1, count, file_) : 0;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
    return file_ != nullptr ? std::fwrite(buffer, 1, count, file_) : 0;
}

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                       : origin == SeekOrigin::Current ? SEEK_CUR
                                                       : SEEK_END;
    if (file_ == nullptr || fseeko(file_, static_cast<off_t>(offset), whence) != 0) {
        throw EStreamError("Stream seek error");
    }
    return static_cast<std::int64_t>(ftello(file_));
}

std::int64_t FileStream::Size() const {
    if (file_ == nullptr) return 0;
    const off_t here = ftello(file_);
    fseeko(file_, 0, SEEK_END);
    const off_t size = ftello(file_);
    fseeko(file_, here, SEEK_SET);
    return static_cast<std::int64_t>(size);
}

}  // namespace pixelary
