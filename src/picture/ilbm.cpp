#include "picture/ilbm.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/file_holder.h"
#include "core/openread.h"
#include "core/replace.h"
#include "core/settings.h"
#include "picture/datafile.h"

const char MESSAGE_CANNOT_OPEN_PICTURE[] = "Cannot open picture file.\n";
const char MESSAGE_NOT_IFF[] = "Picture file must be in IFF format.\n";
const char MESSAGE_PICTURE_CUT_SHORT[] = "Picture file is cut short.\n";
const char MESSAGE_PICTURE_INCOMPLETE[] = "Picture file lacks its header, colours or pixels.\n";
const char MESSAGE_PICTURE_TOO_LARGE[] = "Picture file is too large.\n";
const char MESSAGE_PICTURE_COMPRESSION[] = "Picture file uses an unknown compression.\n";
const char MESSAGE_PICTURE_SIZES[] = "Picture file's sizes disagree with its length.\n";
const char MESSAGE_PICTURE_BODY_SIZE[] = "Picture file's pixels do not fit its header.\n";

namespace {

constexpr int32_t id(const char (&s)[5])
{
    return int32_t(uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
                   uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]));
}

uint32_t get_u32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The bytes of one chunk being unpacked: past `end` every byte is -1 and
// `ended` is set, so damaged data never reads outside the chunk.
struct ChunkCursor {
    const uint8_t* data;
    size_t at, end;
    bool ended;
};

int next_byte(ChunkCursor& c)
{
    if (c.at >= c.end) {
        c.ended = true;
        return -1;
    }
    return c.data[c.at++];
}

int next_signed_byte(ChunkCursor& c)
{
    int b = next_byte(c);
    return b >= 128 ? b - 256 : b;
}

void unpack_plane_row(ChunkCursor& c, uint8_t* row, int rowbytes, bool compressed)
{
    if (!compressed) {
        for (int i = 0; i < rowbytes; i++)
            row[i] = uint8_t(next_byte(c));
        return;
    }
    int produced = 0;
    int remaining = rowbytes;
    while (remaining > 0 && !c.ended) {
        int n = next_signed_byte(c);
        if (n >= 0) {
            for (int i = 0; i <= n; i++) {
                int b = next_byte(c);
                if (produced < PICTURE_MAX_ROWBYTES)
                    row[produced] = uint8_t(b);
                produced++;
            }
            remaining -= n + 1;
        } else if (n != -128) {
            uint8_t b = uint8_t(next_byte(c));
            for (int i = 0; i < 1 - n; i++) {
                if (produced < PICTURE_MAX_ROWBYTES)
                    row[produced] = b;
                produced++;
            }
            remaining -= 1 - n;   // a run may overshoot the row; it is not split
        }
    }
}

// What the chunks before the BODY said about its pixels.
struct BodyLayout {
    bool have_header = false, compressed = true;
    int mask_planes = 0;
};

// The BMHD chunk's 20 or more bytes: the picture's size, planes,
// compression and whether a mask plane follows each row's planes.
const char* read_header_chunk(const uint8_t* bmhd, Picture& p, BodyLayout& layout)
{
    p.width = bmhd[0] << 8 | bmhd[1];
    p.height = bmhd[2] << 8 | bmhd[3];
    p.rowbytes = ilbm_rowbytes(p.width);
    p.planes = bmhd[8];
    // Beyond the plane row buffers: refused, not cut.
    if (p.rowbytes > PICTURE_MAX_ROWBYTES || p.planes > PICTURE_MAX_PLANES)
        return MESSAGE_NOT_IFF;
    if (bmhd[10] > 1)
        return MESSAGE_PICTURE_COMPRESSION;
    layout.compressed = bmhd[10] == 1;
    layout.mask_planes = bmhd[9] == 1 ? 1 : 0;
    layout.have_header = true;
    return nullptr;
}

// A BODY chunk's rows unpacked behind the pixels already read (a second
// BODY continues the first). The cursor ends where the pixels end, so the
// caller can tell a body longer than its header's rows take.
const char* read_body_chunk(ChunkCursor& c, const BodyLayout& layout, Picture& p)
{
    const size_t row_pixels = size_t(8 * p.rowbytes);
    const size_t first = p.pixels.size();
    if (first + size_t(p.height) * row_pixels > size_t(PICTURE_MAX_PIXELS))
        return MESSAGE_NOT_IFF;
    p.pixels.resize(first + size_t(p.height) * row_pixels);
    uint8_t plane_rows[PICTURE_MAX_PLANES][PICTURE_MAX_ROWBYTES];
    uint8_t mask_row[PICTURE_MAX_ROWBYTES];
    for (int y = 0; y < p.height; y++) {
        for (int plane = 0; plane < p.planes; plane++)
            unpack_plane_row(c, plane_rows[plane], p.rowbytes, layout.compressed);
        for (int m = 0; m < layout.mask_planes; m++)
            unpack_plane_row(c, mask_row, p.rowbytes, layout.compressed);   // read past, not used
        if (c.ended)
            return MESSAGE_PICTURE_CUT_SHORT;
        uint8_t* out = p.pixels.data() + first + size_t(y) * row_pixels;
        for (int i = 0; i < p.rowbytes; i++) {
            for (int bit = 7; bit >= 0; bit--) {
                uint8_t pixel = 0;
                for (int plane = 0; plane < p.planes; plane++)
                    pixel |= uint8_t(((plane_rows[plane][i] >> bit) & 1) << plane);
                *out++ = pixel;
            }
        }
    }
    return nullptr;
}

// The chunks of the FORM: every size word is checked against the bytes
// there are before anything is taken from them.
const char* read_chunks(std::span<const uint8_t> bytes, Picture& p)
{
    // The chunks are read to the end of the file; the FORM's own size word
    // is held against the file once they are all there.
    const uint64_t form_end = 8 + uint64_t(get_u32(bytes.data() + 4));
    const size_t end = bytes.size();
    BodyLayout layout;
    bool have_colours = false, have_pixels = false;
    size_t at = 12;
    while (at <= end && end - at >= 8) {
        const int32_t chunk = int32_t(get_u32(bytes.data() + at));
        if (chunk == 0)
            break;   // zero padding ends the chunks
        const uint32_t size = get_u32(bytes.data() + at + 4);
        const size_t data = at + 8;
        const bool fits = uint64_t(data) + size <= end;
        const size_t available = fits ? size : end - data;
        if (chunk == id("BMHD")) {
            if (!fits || size < 20)
                return MESSAGE_PICTURE_CUT_SHORT;
            if (const char* message = read_header_chunk(bytes.data() + data, p, layout))
                return message;
        } else if (chunk == id("CMAP")) {
            if (!fits)
                return MESSAGE_PICTURE_CUT_SHORT;
            std::copy_n(bytes.data() + data, std::min<size_t>(size, p.palette.size()), p.palette.begin());
            have_colours = true;
        } else if (chunk == id("BODY")) {
            if (!layout.have_header)
                return MESSAGE_PICTURE_INCOMPLETE;
            ChunkCursor cursor{bytes.data(), data, data + available, false};
            if (const char* message = read_body_chunk(cursor, layout, p))
                return message;
            // The pixels are all there, but the chunk's size word says the
            // file goes on, or the header's rows take more or fewer bytes
            // than the body holds (a header of 1 plane over 8 planes' body).
            if (!fits)
                return MESSAGE_PICTURE_SIZES;
            // An odd body's pad byte may be counted in its size (as this
            // system's writer does).
            const size_t used = cursor.at - data;
            if (used != size && !(used % 2 == 1 && used + 1 == size))
                return MESSAGE_PICTURE_BODY_SIZE;
            have_pixels = true;
        } else if (!fits) {
            return MESSAGE_PICTURE_SIZES;
        }
        at = data + size + (size & 1);   // chunks are padded to even length
        if (at > end)
            break;
    }
    // A picture is its header, its colours and its pixels: a file without
    // one of them is damaged, never a picture of nothing.
    if (!(layout.have_header && have_colours && have_pixels))
        return MESSAGE_PICTURE_INCOMPLETE;
    // The FORM holds the whole file (a last pad byte either side allowed).
    if (form_end != bytes.size() && form_end + 1 != bytes.size() && form_end != bytes.size() + 1)
        return MESSAGE_PICTURE_SIZES;
    return nullptr;
}

} // namespace

const char* read_picture_bytes(std::span<const uint8_t> bytes, Picture* picture)
{
    *picture = Picture{};
    if (bytes.size() > size_t(PICTURE_MAX_FILE_BYTES))
        return MESSAGE_PICTURE_TOO_LARGE;
    if (bytes.size() < 12 || int32_t(get_u32(bytes.data())) != id("FORM") ||
        int32_t(get_u32(bytes.data() + 8)) != id("ILBM"))
        return MESSAGE_NOT_IFF;
    Picture p;
    if (const char* message = read_chunks(bytes, p))
        return message;
    *picture = std::move(p);
    return nullptr;
}

const char* read_picture_file(const char* path, Picture* picture)
{
    *picture = Picture{};
    // A FIFO or device at the name is refused unread (open_for_reading);
    // one byte past the limit tells a file too large.
    FileHolder file(open_for_reading(path));
    if (file.fd < 0)
        return MESSAGE_CANNOT_OPEN_PICTURE;
    std::vector<uint8_t> bytes;
    uint8_t block[4096];
    for (;;) {
        const ssize_t n = read(file.fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;   // a failed read ends the file where it failed (a folder: no bytes at all)
        if (bytes.size() + size_t(n) > size_t(PICTURE_MAX_FILE_BYTES))
            return MESSAGE_PICTURE_TOO_LARGE;
        bytes.insert(bytes.end(), block, block + n);
    }
    return read_picture_bytes(bytes, picture);
}

const char* read_picture(const char* name, Picture* picture)
{
    char path[PATH_BUFFER_SIZE];
    // The first candidate that opens is the file, even if it turns out bad.
    if (find_data_file(path, name))
        return read_picture_file(path, picture);
    *picture = Picture{};
    return MESSAGE_CANNOT_OPEN_PICTURE;
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

void flush_output(PictureWriter& writer)
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

void put_bytes(PictureWriter& writer, const void* bytes, int n)
{
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    for (int i = 0; i < n; i++) {
        if (writer.used == int(sizeof writer.buffer))
            flush_output(writer);
        writer.buffer[writer.used++] = p[i];
    }
    writer.count += uint32_t(n);
}

void put_u32(PictureWriter& writer, uint32_t v)
{
    uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    put_bytes(writer, b, 4);
}

void put_u16(PictureWriter& writer, int v)
{
    uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
    put_bytes(writer, b, 2);
}

void begin_chunk(PictureWriter& writer, const char* name)
{
    put_bytes(writer, name, 4);
    writer.stack[writer.depth++] = writer.count;
    put_u32(writer, 0);
}

void end_chunk(PictureWriter& writer)
{
    if (writer.count & 1) {
        uint8_t pad = 0;
        put_bytes(writer, &pad, 1);
    }
    uint32_t at = writer.stack[--writer.depth];
    uint32_t size = writer.count - at - 4;
    flush_output(writer);
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
    PictureWriter writer{};
    // The picture is put in place whole or not at all (an older file of the
    // name stays as it was until then).
    ReplaceFile file;
    if (!replace_begin(&file, path, 0644))
        return replace_reason(&file);
    writer.fd = file.fd;
    const int rowbytes = ilbm_rowbytes(width);
    begin_chunk(writer, "FORM");
    put_bytes(writer, "ILBM", 4);
    begin_chunk(writer, "BMHD");
    put_u16(writer, width);
    put_u16(writer, height);
    put_u16(writer, 0);
    put_u16(writer, 0);
    const uint8_t bmhd_tail[] = {8, 0, 1, 0, 0, 0, 0, 0};   // planes, masking, ByteRun1, pad, transparent, aspect
    put_bytes(writer, bmhd_tail, sizeof bmhd_tail);
    put_u16(writer, width);
    put_u16(writer, height);
    end_chunk(writer);
    begin_chunk(writer, "CMAP");
    put_bytes(writer, palette, 768);
    end_chunk(writer);
    begin_chunk(writer, "BODY");
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
            put_bytes(writer, packed, pack_byterun1(plane, rowbytes, packed));
        }
    }
    end_chunk(writer);
    end_chunk(writer);
    flush_output(writer);
    writer.fd = -1;
    if (writer.failed)
        return strerror(writer.error ? writer.error : EIO);   // the holder removes the temporary file
    if (replace_commit(&file) == REPLACE_FAILED)
        return replace_reason(&file);
    return nullptr;
}
