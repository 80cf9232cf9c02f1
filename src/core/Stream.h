// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace pixelary {

enum class SeekOrigin { Begin, Current, End };

// Byte stream with a position. Read/Write move what they can; ReadBuffer/WriteBuffer raise
// EReadError/EWriteError when the whole count cannot be moved.
class Stream {
  public:
    virtual ~Stream() = default;

    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Returns the new position; a position before the start raises EStreamError.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size() const = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Begin); }
    std::int64_t Remaining() { return Size() - Position(); }

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);

    std::uint8_t ReadU8();
    std::uint16_t ReadU16LE();
    std::uint32_t ReadU32LE();
    std::int32_t ReadI32LE() { return static_cast<std::int32_t>(ReadU32LE()); }
    std::uint16_t ReadU16BE();
    std::uint32_t ReadU32BE();
    void WriteU8(std::uint8_t value) { WriteBuffer(&value, 1); }
    void WriteU16LE(std::uint16_t value);
    void WriteU32LE(std::uint32_t value);
    void WriteI32LE(std::int32_t value) { WriteU32LE(static_cast<std::uint32_t>(value)); }

    // Copies count bytes (all remaining bytes when count is negative) from source.
    std::int64_t CopyFrom(Stream& source, std::int64_t count);
};

// Growable in-memory stream; owns its bytes.
class MemoryStream : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }

    void Clear();
    void SetSize(std::size_t size);
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::span<const std::uint8_t> View() const { return bytes_; }
    // Reads a whole file; raises EFOpenError when it cannot be opened.
    void LoadFromFile(const std::string& path);
    // Writes every byte to a file; raises EFCreateError when it cannot be created.
    void SaveToFile(const std::string& path) const;

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

enum class FileMode { OpenRead, Create, OpenReadWrite };

// Stream over a file on disk; the file is closed on destruction.
class FileStream : public Stream {
  public:
    // Raises EFOpenError (or EFCreateError for Create) with the path in the message.
    FileStream(const std::string& path, FileMode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override;
    // Writes out what is buffered and closes the file; raises EWriteError when the file system
    // did not take every byte (a full disk shows only here). Afterwards the stream reads and
    // writes nothing.
    void Close();

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

}  // namespace pixelary
