#pragma once
// Whole-file binary reading. Files are opened and closed within one call, or held by a DocumentFile.
#include "e2eCrypto/armour_reading.h"

#include "platform/file_descriptor.h"
#include "platform/work_progress.h"

#include <cstdint>
#include <optional>
#include <string>

// Empties content, then fills it with the file's bytes. A file that is unreadable or has no bytes
// gives false; a file that shrinks while it is read leaves its missing tail as zero bytes.
// Only regular files are read (a directory or FIFO is unreadable), and so is a file too large for memory.
bool ReadWholeFile(const std::string& path, std::string& content);

// A document opened before it is read, so that its size is known first. Reading closes it: the job
// that goes on with the bytes may replace the file.
class DocumentFile {
public:
    // Empties content and makes room in it for the file's bytes: false, with content empty, for a
    // file ReadWholeFile gives false for.
    bool open(const std::string& path, std::string& content);
    bool isOpen() const { return file_.isOpen(); }
    std::uint64_t size() const { return size_; }
    // Fills content with the file's bytes, as ReadWholeFile does; what content holds already is taken
    // as the file's first bytes, read before.
    void read(std::string& content);
    // Reads the file decoding its outermost armour as it goes (see readDecodingArmour); when that
    // gives nothing, content is filled with the file's bytes, read on from where the look at its start
    // ended, or read again from the first byte after a decoding given up.
    std::optional<DecodedArmour> readDecoding(std::string& content, std::size_t pieceSize = workBlockSize);

private:
    FileDescriptor file_;
    std::size_t size_ = 0;
};
