#pragma once
// How the answer to a request is gathered, the same for the window and the command-line
// program: the quiet gaps that end an answer, the time-out, and the buffers that hold it.

#include <cstdint>

// A setting reply is complete once the line has been quiet this long after its last byte.
inline constexpr unsigned kQuietMs = 20;
// No complete reply this long after the request: the device did not answer.
inline constexpr unsigned kReadTimeoutMs = 250;
inline constexpr unsigned kSetTimeoutMs = 250;
// The record stream is complete once the line has been quiet this long (also when nothing came).
inline constexpr unsigned kRecordsQuietMs = 500;

// A reply is judged on its first 30 bytes; a record stream keeps its first 44000 (4000 records).
inline constexpr int kReplyBufferSize = 30;
inline constexpr int kRecordStreamSize = 44000;

// Appends the |n| bytes of |chunk| to |buffer|, which holds |count| of its |capacity| bytes;
// bytes beyond the capacity are dropped. Returns the new count, at most |capacity|.
int AppendBounded(std::uint8_t* buffer, int capacity, int count, const std::uint8_t* chunk, int n);
