#include "data/Archive.h"

#include "data/Failures.h"

#include <bit>
#include <cstring>

// Values go to and from the buffer as their in-memory bytes.
static_assert(std::endian::native == std::endian::little, "the file forms are little-endian");

Archive::Archive(ByteSink& sink) : sink_(&sink), buffer_(bufferSize) {}

Archive::Archive(ByteSource& source) : source_(&source), buffer_(bufferSize) {}

// Store.

void Archive::Write(const void* data, size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t room = bufferSize - position_;
    if (n <= room) {
        if (n > 0)
            std::memcpy(buffer_.data() + position_, bytes, n);
        position_ += n;
        if (position_ == bufferSize)
            Flush();
        return;
    }
    // Top the buffer up, then hand whole buffers' worth straight to the sink so a
    // cell block is one transfer rather than thousands of copies.
    std::memcpy(buffer_.data() + position_, bytes, room);
    position_ = bufferSize;
    Flush();
    bytes += room;
    n -= room;
    size_t direct = n - n % bufferSize;
    if (direct > 0) {
        sink_->WriteAll(bytes, direct);
        bytes += direct;
        n -= direct;
    }
    if (n > 0)
        std::memcpy(buffer_.data(), bytes, n);
    position_ = n;
}

void Archive::PutUInt16(uint16_t value) {
    Write(&value, sizeof value);
}
void Archive::PutInt32(int32_t value) {
    Write(&value, sizeof value);
}
void Archive::PutUInt32(uint32_t value) {
    Write(&value, sizeof value);
}
void Archive::PutFloat64(double value) {
    Write(&value, sizeof value);
}

void Archive::PutShortCount(uint32_t count) {
    if (count < 0xFFFF) {
        PutUInt16(static_cast<uint16_t>(count));
    } else {
        PutUInt16(0xFFFF);
        PutUInt32(count);
    }
}

void Archive::Close() {
    if (IsStoring())
        Flush();
}

void Archive::Flush() {
    if (position_ == 0)
        return;
    size_t n = position_;
    // Emptied first: after a failed write the archive must not write the same bytes again.
    position_ = 0;
    sink_->WriteAll(buffer_.data(), n);
}

// Load.

size_t Archive::Read(void* destination, size_t n) {
    // An empty read may come with no destination at all (an empty block).
    if (n == 0)
        return 0;
    auto* bytes = static_cast<unsigned char*>(destination);
    size_t done = 0;
    size_t buffered = filled_ - position_;
    if (buffered > 0) {
        size_t take = n < buffered ? n : buffered;
        std::memcpy(bytes, buffer_.data() + position_, take);
        position_ += take;
        done = take;
    }
    // Large blocks go straight from the source into the destination.
    while (n - done >= bufferSize) {
        size_t got = source_->ReadSome(bytes + done, n - done);
        if (got == 0)
            return done;
        done += got;
    }
    while (done < n) {
        position_ = 0;
        filled_ = source_->ReadSome(buffer_.data(), bufferSize);
        if (filled_ == 0)
            return done;
        size_t take = n - done < filled_ ? n - done : filled_;
        std::memcpy(bytes + done, buffer_.data(), take);
        position_ = take;
        done += take;
    }
    return done;
}

void Archive::GetExact(void* destination, size_t n) {
    if (Read(destination, n) != n)
        throw EndOfFileFailure();
}

template <class T> T Archive::GetValue() {
    T value;
    GetExact(&value, sizeof value);
    return value;
}

uint16_t Archive::GetUInt16() {
    return GetValue<uint16_t>();
}
int32_t Archive::GetInt32() {
    return GetValue<int32_t>();
}
uint32_t Archive::GetUInt32() {
    return GetValue<uint32_t>();
}
double Archive::GetFloat64() {
    return GetValue<double>();
}

uint32_t Archive::GetShortCount() {
    uint16_t first = GetUInt16();
    return first == 0xFFFF ? GetUInt32() : first;
}

uint64_t Archive::BytesLeft() const {
    if (source_ == nullptr)
        return 0;
    return (filled_ - position_) + source_->BytesLeft();
}

void Archive::RequireBytes(uint64_t n) const {
    if (BytesLeft() < n)
        throw EndOfFileFailure();
}
