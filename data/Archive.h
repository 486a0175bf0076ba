#pragma once
// The buffered one-way byte stream that every persistent form goes through.
// Little-endian, no gaps. Plain reads take what is there; strict gets throw
// EndOfFileFailure when the source ends inside the value.

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes; returns how many were read, 0 at the end. Throws FileFailure.
    virtual size_t ReadSome(void* destination, size_t n) = 0;
    // How many bytes the source can still deliver.
    virtual uint64_t BytesLeft() const = 0;
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes all n bytes or throws FileFailure; a short write is a failure.
    virtual void WriteAll(const void* source, size_t n) = 0;
};

class Archive {
  public:
    static constexpr size_t bufferSize = 4096;

    explicit Archive(ByteSink& sink);      // a store archive
    explicit Archive(ByteSource& source);  // a load archive
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    ~Archive() = default;  // Close() must be called to flush a store archive

    bool IsStoring() const { return sink_ != nullptr; }
    bool IsLoading() const { return source_ != nullptr; }

    // Store.
    void Write(const void* data, size_t n);
    void PutUInt16(uint16_t value);
    void PutInt32(int32_t value);
    void PutUInt32(uint32_t value);
    void PutFloat64(double value);
    void PutShortCount(uint32_t count);  // 2 bytes below 65535, else FF FF + uint32
    void Close();                        // writes out what the buffer holds

    // Load.
    size_t Read(void* destination, size_t n);  // plain read: short at the end, no failure
    uint16_t GetUInt16();
    int32_t GetInt32();
    uint32_t GetUInt32();
    double GetFloat64();
    uint32_t GetShortCount();
    uint64_t BytesLeft() const;           // buffered plus what the source still holds
    void RequireBytes(uint64_t n) const;  // EndOfFileFailure unless n bytes remain

  private:
    void GetExact(void* destination, size_t n);
    template <class T> T GetValue();  // the strict get behind the typed ones
    void Flush();

    ByteSink* sink_ = nullptr;
    ByteSource* source_ = nullptr;
    std::vector<unsigned char> buffer_;
    size_t position_ = 0;  // load: next unread byte; store: bytes held
    size_t filled_ = 0;    // load: bytes in the buffer
};
