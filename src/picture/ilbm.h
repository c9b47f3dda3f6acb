// IFF ILBM pictures: reading ByteRun1-packed ILBMs of up to 8 planes and
// 1024 pixels across, without a mask plane (the body is always unpacked as
// ByteRun1), into one chunky buffer of 64000 pixels and a palette; writing
// 8-plane ByteRun1 pictures.
#pragma once
#include <array>
#include <cstdint>

constexpr int PICTURE_BUFFER_SIZE = 64000;
constexpr int PICTURE_MAX_ROWBYTES = 128;   // width at most 1024
constexpr int PICTURE_MAX_PLANES = 8;
constexpr int WRITE_MAX_WIDTH = 640;

extern const char MESSAGE_NO_PICTURE_MEMORY[];
extern const char MESSAGE_CANNOT_OPEN_PICTURE[];
extern const char MESSAGE_NOT_IFF[];
extern const char MESSAGE_PICTURE_CUT_SHORT[];
extern const char MESSAGE_PICTURE_INCOMPLETE[];
extern const char MESSAGE_PICTURE_TOO_LARGE[];
extern const char MESSAGE_PICTURE_COMPRESSION[];
// The most bytes read from one picture file: an 8-plane 1024 by 64 picture
// without compression fits eight times over.
constexpr int64_t PICTURE_MAX_FILE_BYTES = 1 << 20;

// Bytes per plane row: ILBM rows are padded to a whole 16-bit word, so a
// picture 100 pixels wide has 14 bytes (112 pixels) per row.
constexpr int ilbm_rowbytes(int width) { return (width + 15) / 16 * 2; }

extern uint8_t* picture_buffer;
extern std::array<uint8_t, 768> picture_palette;

// Header values of the last picture read.
struct PictureHeader {
    int width, height, rowbytes, planes;
};
extern PictureHeader picture_header;

// Null on success, otherwise one of the messages above (each ends in "\n"):
// a file without its header (BMHD), colours (CMAP) or pixels (BODY), or one
// that ends inside them, is refused. Nothing of an earlier picture is kept.
// The file is the first data-file candidate of name that opens.
const char* read_picture(const char* name);
// The same for one given path (no lookup).
const char* read_picture_file(const char* path);
void free_picture_buffer();

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
