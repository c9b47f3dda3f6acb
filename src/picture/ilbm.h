// IFF ILBM pictures: reading ILBMs of up to 8 planes and 1024 pixels
// across (ByteRun1 or uncompressed, a mask plane read past) from bytes into
// a picture value of at most 64000 chunky pixels and a palette; writing
// 8-plane ByteRun1 pictures.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

constexpr int PICTURE_MAX_PIXELS = 64000;
constexpr int PICTURE_MAX_ROWBYTES = 128;   // width at most 1024
constexpr int PICTURE_MAX_PLANES = 8;
constexpr int WRITE_MAX_WIDTH = 640;

extern const char MESSAGE_CANNOT_OPEN_PICTURE[];
extern const char MESSAGE_NOT_IFF[];
extern const char MESSAGE_PICTURE_CUT_SHORT[];
extern const char MESSAGE_PICTURE_INCOMPLETE[];
extern const char MESSAGE_PICTURE_TOO_LARGE[];
extern const char MESSAGE_PICTURE_COMPRESSION[];
extern const char MESSAGE_PICTURE_SIZES[];
extern const char MESSAGE_PICTURE_BODY_SIZE[];
// The most bytes read from one picture file: an 8-plane 1024 by 64 picture
// without compression fits eight times over.
constexpr int64_t PICTURE_MAX_FILE_BYTES = 1 << 20;

// Bytes per plane row: ILBM rows are padded to a whole 16-bit word, so a
// picture 100 pixels wide has 14 bytes (112 pixels) per row.
constexpr int ilbm_rowbytes(int width) { return (width + 15) / 16 * 2; }

// A picture as read: its header's size and planes, its pixels one byte each
// in rows of 8 * rowbytes (the plane rows' padding included), and the
// colours its CMAP gives (black beyond them).
struct Picture {
    int width = 0, height = 0, rowbytes = 0, planes = 0;
    std::vector<uint8_t> pixels;
    std::array<uint8_t, 768> palette{};
};

// Null on success with *picture filled, otherwise one of the messages above
// (each ends in "\n") and *picture is empty. A file without its header
// (BMHD), colours (CMAP) or pixels (BODY), or one that ends inside them, is
// refused; so is one whose FORM or chunk sizes disagree with its length, or
// whose BODY is longer or shorter than its header's pixels take.
const char* read_picture_bytes(std::span<const uint8_t> bytes, Picture* picture);
// The same for one given path (no lookup): at most PICTURE_MAX_FILE_BYTES
// are read.
const char* read_picture_file(const char* path, Picture* picture);
// The same for the first data-file candidate of name that opens.
const char* read_picture(const char* name, Picture* picture);

// Fills row (width bytes) with the chunky pixels of row y of source.
using RowFetch = void (*)(uint8_t* row, int y, const void* source);

// Writes an 8-plane, ByteRun1-compressed ILBM with a 256-colour CMAP.
// Returns nullptr when the file was written whole; otherwise why not, in a
// few lower-case words, and any older file of the name is as it was. The file is put in place as every file of the system is (core/replace.h).
const char* write_picture(const char* path, int width, int height, RowFetch fetch, const void* source,
                          const uint8_t* palette);

// Packs one plane row with ByteRun1; returns the packed length. out must hold
// rowbytes + rowbytes / 128 + 1 bytes.
int pack_byterun1(const uint8_t* in, int rowbytes, uint8_t* out);
