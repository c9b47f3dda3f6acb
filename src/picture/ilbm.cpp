#include "picture/ilbm.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/replace.h"
#include "core/settings.h"
#include "picture/datafile.h"

const char MESSAGE_NO_PICTURE_MEMORY[] = "Could not allocate memory for picture.\n";
const char MESSAGE_CANNOT_OPEN_PICTURE[] = "Cannot open picture file.\n";
const char MESSAGE_NOT_IFF[] = "Picture file must be in IFF format.\n";
const char MESSAGE_PICTURE_CUT_SHORT[] = "Picture file is cut short.\n";
const char MESSAGE_PICTURE_INCOMPLETE[] = "Picture file lacks its header, colours or pixels.\n";
const char MESSAGE_PICTURE_TOO_LARGE[] = "Picture file is too large.\n";
const char MESSAGE_PICTURE_COMPRESSION[] = "Picture file uses an unknown compression.\n";

uint8_t* picture_buffer;
std::array<uint8_t, 768> picture_palette;
PictureHeader picture_header;

namespace {

constexpr int32_t id(const char (&s)[5])
{
    return int32_t(uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
                   uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]));
}

// Every read goes through here: bytes come from a 1024-byte buffer, and past
// the end of the file (or after a failed read) every byte is -1.
struct ByteReader {
    int fd;
    uint8_t buffer[1024];
    int count;
    int position;
    bool ended;        // a byte was asked for past the end (or a failed read)
    bool too_large;    // the end came from PICTURE_MAX_FILE_BYTES
    int64_t total;     // bytes taken from the file so far
};

ByteReader reader;

int next_byte()
{
    if (reader.position >= reader.count) {
        if (reader.fd < 0) {
            reader.ended = true;
            return -1;
        }
        ssize_t n = read(reader.fd, reader.buffer, sizeof reader.buffer);
        // Past the limit the file counts as ended: an endless input (a FIFO,
        // a device) never holds the reader.
        if (n <= 0 || reader.total + n > PICTURE_MAX_FILE_BYTES) {
            reader.too_large = n > 0;
            reader.fd = -1;   // the end: stays the end (the caller closes the file)
            reader.count = reader.position = 0;
            reader.ended = true;
            return -1;
        }
        reader.total += n;
        reader.count = int(n);
        reader.position = 0;
    }
    return reader.buffer[reader.position++];
}

// Why the file ended inside a chunk.
const char* ended_message() { return reader.too_large ? MESSAGE_PICTURE_TOO_LARGE : MESSAGE_PICTURE_CUT_SHORT; }

int next_signed_byte()
{
    int b = next_byte();
    return b >= 128 ? b - 256 : b;
}

int32_t next_word()
{
    uint32_t word = 0;
    for (int i = 0; i < 4; i++)
        word = word << 8 | uint8_t(next_byte());   // -1 reads as 0xff
    return int32_t(word);
}

// Drops n bytes: what is buffered first, then a seek past the rest.
void skip_bytes(uint32_t n)
{
    uint32_t buffered = uint32_t(reader.count - reader.position);
    if (n <= buffered) {
        reader.position += int(n);
        return;
    }
    n -= buffered;
    reader.position = reader.count = 0;
    if (reader.fd >= 0 && lseek(reader.fd, off_t(n), SEEK_CUR) < 0)
        reader.fd = -1;
}

uint8_t plane_rows[PICTURE_MAX_PLANES][PICTURE_MAX_ROWBYTES];
uint8_t mask_row[PICTURE_MAX_ROWBYTES];

void unpack_plane_row(uint8_t* row, int rowbytes, bool compressed)
{
    if (!compressed) {
        for (int i = 0; i < rowbytes; i++)
            row[i] = uint8_t(next_byte());
        return;
    }
    int produced = 0;
    int remaining = rowbytes;
    while (remaining > 0 && !reader.ended) {
        int c = next_signed_byte();
        if (c >= 0) {
            for (int i = 0; i <= c; i++) {
                int b = next_byte();
                if (produced < PICTURE_MAX_ROWBYTES)
                    row[produced] = uint8_t(b);
                produced++;
            }
            remaining -= c + 1;
        } else if (c != -128) {
            uint8_t b = uint8_t(next_byte());
            for (int i = 0; i < 1 - c; i++) {
                if (produced < PICTURE_MAX_ROWBYTES)
                    row[produced] = b;
                produced++;
            }
            remaining -= 1 - c;   // a run may overshoot the row; it is not split
        }
    }
}

// The BMHD chunk of `size` bytes: the picture's size, planes, compression
// and whether a mask plane follows each row's planes.
const char* read_header_chunk(uint32_t size, bool* compressed, int* mask_planes)
{
    PictureHeader& h = picture_header;
    uint8_t bmhd[20] = {};
    for (uint32_t i = 0; i < size; i++) {
        int b = next_byte();
        if (b < 0)
            break;
        if (i < sizeof bmhd)
            bmhd[i] = uint8_t(b);
    }
    if (reader.ended)
        return ended_message();
    if (size < 20)
        return MESSAGE_PICTURE_CUT_SHORT;
    h.width = bmhd[0] << 8 | bmhd[1];
    h.height = bmhd[2] << 8 | bmhd[3];
    h.rowbytes = ilbm_rowbytes(h.width);
    h.planes = bmhd[8];
    // Beyond the plane row buffers: refused, not cut.
    if (h.rowbytes > PICTURE_MAX_ROWBYTES || h.planes > PICTURE_MAX_PLANES)
        return MESSAGE_NOT_IFF;
    if (bmhd[10] > 1)
        return MESSAGE_PICTURE_COMPRESSION;
    *compressed = bmhd[10] == 1;
    *mask_planes = bmhd[9] == 1 ? 1 : 0;   // a mask plane follows each row's planes
    return nullptr;
}

// The BODY chunk: each row's planes unpacked and turned into one byte a
// pixel in the picture buffer from *write_position on.
const char* read_body_chunk(bool compressed, int mask_planes, int* write_position)
{
    const PictureHeader& h = picture_header;
    int row_pixels = 8 * h.rowbytes;
    if (int64_t(*write_position) + int64_t(h.height) * row_pixels > PICTURE_BUFFER_SIZE)
        return MESSAGE_NOT_IFF;
    for (int y = 0; y < h.height; y++) {
        for (int p = 0; p < h.planes; p++)
            unpack_plane_row(plane_rows[p], h.rowbytes, compressed);
        for (int p = 0; p < mask_planes; p++)
            unpack_plane_row(mask_row, h.rowbytes, compressed);   // read past, not used
        if (reader.ended)
            return ended_message();
        uint8_t* out = picture_buffer + *write_position;
        for (int i = 0; i < h.rowbytes; i++) {
            for (int bit = 7; bit >= 0; bit--) {
                uint8_t pixel = 0;
                for (int p = 0; p < h.planes; p++)
                    pixel |= uint8_t(((plane_rows[p][i] >> bit) & 1) << p);
                *out++ = pixel;
            }
        }
        *write_position += row_pixels;
    }
    return nullptr;
}

// The CMAP chunk of `size` bytes: as many of them as the palette holds.
const char* read_colour_chunk(uint32_t size)
{
    for (uint32_t i = 0; i < size; i++) {
        int b = next_byte();
        if (b < 0)
            return ended_message();
        if (i < picture_palette.size())
            picture_palette[i] = uint8_t(b);
    }
    return nullptr;
}

const char* read_chunks(int* write_position)
{
    if (next_word() != id("FORM"))
        return MESSAGE_NOT_IFF;
    next_word();
    if (next_word() != id("ILBM"))
        return MESSAGE_NOT_IFF;
    picture_header = PictureHeader{};
    bool have_header = false, have_colours = false, have_pixels = false, compressed = true;
    int mask_planes = 0;
    for (;;) {
        int32_t chunk = next_word();
        if (chunk == 0 || chunk == -1 || reader.ended) {
            if (reader.too_large)
                return MESSAGE_PICTURE_TOO_LARGE;
            // A picture is its header, its colours and its pixels: a file
            // without one of them is damaged, never a picture of nothing.
            return have_header && have_colours && have_pixels ? nullptr : MESSAGE_PICTURE_INCOMPLETE;
        }
        uint32_t size = uint32_t(next_word());
        if (size & 1)
            size++;   // chunks are padded to even length
        const char* message = nullptr;
        if (chunk == id("BMHD")) {
            message = read_header_chunk(size, &compressed, &mask_planes);
            have_header = true;
        } else if (chunk == id("BODY")) {
            if (!have_header)
                return MESSAGE_PICTURE_INCOMPLETE;
            message = read_body_chunk(compressed, mask_planes, write_position);
            have_pixels = true;
        } else if (chunk == id("CMAP")) {
            message = read_colour_chunk(size);
            have_colours = true;
        } else {
            skip_bytes(size);
        }
        if (message)
            return message;
    }
}

} // namespace

const char* read_picture_file(const char* path)
{
    if (!picture_buffer) {
        picture_buffer = static_cast<uint8_t*>(calloc(PICTURE_BUFFER_SIZE, 1));
        if (!picture_buffer)
            return MESSAGE_NO_PICTURE_MEMORY;
    }
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return MESSAGE_CANNOT_OPEN_PICTURE;
    reader = ByteReader{};
    reader.fd = fd;
    // Nothing of an earlier picture stays: what this file does not give is 0.
    memset(picture_buffer, 0, PICTURE_BUFFER_SIZE);
    picture_palette.fill(0);
    int write_position = 0;
    const char* message = read_chunks(&write_position);
    close(fd);
    reader.fd = -1;
    return message;
}

const char* read_picture(const char* name)
{
    char path[PATH_BUFFER_SIZE];
    // The first candidate that opens is the file, even if it turns out bad.
    if (find_data_file(path, name))
        return read_picture_file(path);
    return MESSAGE_CANNOT_OPEN_PICTURE;
}

void free_picture_buffer()
{
    free(picture_buffer);
    picture_buffer = nullptr;
}

int pack_byterun1(const uint8_t* in, int rowbytes, uint8_t* out)
{
    int written = 0;
    int literal_start = 0, literal_length = 0;   // pending literal bytes
    auto flush_literal = [&] {
        if (literal_length > 0) {
            out[written++] = uint8_t(literal_length - 1);
            memcpy(out + written, in + literal_start, size_t(literal_length));
            written += literal_length;
            literal_length = 0;
        }
    };
    int i = 0;
    while (i < rowbytes) {
        int run = 1;
        while (i + run < rowbytes && in[i + run] == in[i])
            run++;
        bool at_end = i + run == rowbytes;
        bool replicate = at_end ? run >= 3 : (literal_length == 0 ? run >= 2 : run >= 3);
        if (replicate) {
            flush_literal();
            out[written++] = uint8_t(1 - run);
            out[written++] = in[i];
            literal_start = i + run;
        } else {
            if (literal_length == 0)
                literal_start = i;
            literal_length += run;
        }
        i += run;
    }
    flush_literal();
    return written;
}

namespace {

// The writer's state for one file: a small output buffer, the byte count
// (the file offset) and the offsets of the open chunks' size fields.
struct PictureWriter {
    int fd;
    bool failed;
    int error;
    uint32_t count;
    uint32_t stack[8];
    int depth;
    uint8_t buffer[4096];
    int used;
};

PictureWriter writer;

void flush_output()
{
    const uint8_t* p = writer.buffer;
    int left = writer.used;
    while (left > 0 && !writer.failed) {
        ssize_t n = write(writer.fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writer.failed = true;
            writer.error = n < 0 ? errno : ENOSPC;
            break;
        }
        p += n;
        left -= int(n);
    }
    writer.used = 0;
}

void put_bytes(const void* bytes, int n)
{
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    for (int i = 0; i < n; i++) {
        if (writer.used == int(sizeof writer.buffer))
            flush_output();
        writer.buffer[writer.used++] = p[i];
    }
    writer.count += uint32_t(n);
}

void put_u32(uint32_t v)
{
    uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    put_bytes(b, 4);
}

void put_u16(int v)
{
    uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
    put_bytes(b, 2);
}

void begin_chunk(const char* name)
{
    put_bytes(name, 4);
    writer.stack[writer.depth++] = writer.count;
    put_u32(0);
}

void end_chunk()
{
    if (writer.count & 1) {
        uint8_t pad = 0;
        put_bytes(&pad, 1);
    }
    uint32_t at = writer.stack[--writer.depth];
    uint32_t size = writer.count - at - 4;
    flush_output();
    uint8_t b[4] = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)};
    if (!writer.failed && pwrite(writer.fd, b, 4, off_t(at)) != 4) {
        writer.failed = true;
        writer.error = errno;
    }
}

} // namespace

const char* write_picture(const char* path, int width, int height, RowFetch fetch, const void* source,
                          const uint8_t* palette)
{
    if (width < 1 || width > WRITE_MAX_WIDTH || height < 1 || height > 0xffff)
        return "picture size out of range";
    writer = PictureWriter{};
    // The picture is put in place whole or not at all (an older file of the
    // name stays as it was until then).
    ReplaceFile file;
    if (!replace_begin(&file, path, 0644))
        return replace_reason(&file);
    writer.fd = file.fd;
    const int rowbytes = ilbm_rowbytes(width);
    begin_chunk("FORM");
    put_bytes("ILBM", 4);
    begin_chunk("BMHD");
    put_u16(width);
    put_u16(height);
    put_u16(0);
    put_u16(0);
    const uint8_t bmhd_tail[] = {8, 0, 1, 0, 0, 0, 0, 0};   // planes, masking, ByteRun1, pad, transparent, aspect
    put_bytes(bmhd_tail, sizeof bmhd_tail);
    put_u16(width);
    put_u16(height);
    end_chunk();
    begin_chunk("CMAP");
    put_bytes(palette, 768);
    end_chunk();
    begin_chunk("BODY");
    uint8_t row[WRITE_MAX_WIDTH + 8];
    uint8_t plane[PICTURE_MAX_ROWBYTES];
    uint8_t packed[2 * PICTURE_MAX_ROWBYTES];
    for (int y = 0; y < height && !writer.failed; y++) {
        memset(row, 0, sizeof row);
        fetch(row, y, source);
        for (int p = 0; p < 8; p++) {
            for (int i = 0; i < rowbytes; i++) {
                uint8_t byte = 0;
                for (int k = 0; k < 8; k++)
                    byte |= uint8_t(((row[8 * i + k] >> p) & 1) << (7 - k));
                plane[i] = byte;
            }
            put_bytes(packed, pack_byterun1(plane, rowbytes, packed));
        }
    }
    end_chunk();
    end_chunk();
    flush_output();
    writer.fd = -1;
    if (writer.failed)
        return strerror(writer.error ? writer.error : EIO);   // the holder removes the temporary file
    if (replace_commit(&file) == REPLACE_FAILED)
        return replace_reason(&file);
    return nullptr;
}
