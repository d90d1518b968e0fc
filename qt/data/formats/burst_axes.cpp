#include "data/formats/burst_axes.h"

#include "data/formats/csv_field.h"
#include "data/io/loader_read_failed.h"
#include "data/io/memory_budget.h"
#include "data/model/burst.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Raw fields longer than this many bytes have their pieces counted before they are read.
constexpr std::size_t counted_from = std::size_t(1) << 16;

// Positions of the first "X", "Y" and "Z" in the axes text (-1: absent), counted in characters.
std::array<std::ptrdiff_t, 3> axis_positions(const char* b, const char* e, QTextCodec* codec)
{
    std::array<std::ptrdiff_t, 3> position{};
    bool ascii = true;
    for (const char* p = b; p != e && ascii; ++p)
        ascii = static_cast<unsigned char>(*p) < 0x80;
    if (ascii) {
        for (int a = 0; a < 3; ++a) {
            const void* hit = std::memchr(b, "XYZ"[a], static_cast<std::size_t>(e - b));
            position[a] = hit ? static_cast<const char*>(hit) - b : -1;
        }
    } else {
        const QString text = csv_field::to_qstring(b, e, codec);
        for (int a = 0; a < 3; ++a)
            position[a] = text.indexOf(QLatin1Char("XYZ"[a]));
    }
    return position;
}

} // namespace

bool burst_axes::read(const char* axes_begin, const char* axes_end, const char* raw_begin,
                      const char* raw_end, QTextCodec* codec, std::vector<float>& pieces,
                      memory_budget& budget)
{
    const std::array<std::ptrdiff_t, 3> position = axis_positions(axes_begin, axes_end, codec);
    const int m = (position[0] >= 0) + (position[1] >= 0) + (position[2] >= 0);
    if (m == 0)
        return false;

    // Room for one float per byte, which no field can outnumber in pieces; a long field is counted
    // instead, so that memory follows its samples, not its bytes.
    std::size_t room = static_cast<std::size_t>(raw_end - raw_begin) + 1;
    qint64 scratch = 0; // bytes of a long field's pieces, reserved while they are held
    if (room > counted_from) {
        room = static_cast<std::size_t>(std::count(raw_begin, raw_end, ' ')) + 1;
        scratch = static_cast<qint64>(room * sizeof(float));
        budget.reserve(scratch);
    }
    if (pieces.size() < room)
        pieces.resize(room);
    const std::size_t piece_count = csv_field::split_floats(raw_begin, raw_end, pieces.data(), codec);
    samples = piece_count / static_cast<std::size_t>(m);
    budget.reserve(memory_budget::burst_bytes(static_cast<qint64>(samples)));

    // Pieces past the end (possible with odd axes texts such as "X Y Z") read as 0.
    block = burst::new_block(samples);
    for (int a = 0; a < 3; ++a) {
        float* values = block.axis(a);
        std::size_t n = 0;
        if (position[a] >= 0) {
            std::size_t piece = static_cast<std::size_t>(position[a]);
            for (; n < samples && piece < piece_count; ++n, piece += static_cast<std::size_t>(m))
                values[n] = pieces[piece];
        }
        std::fill(values + n, values + samples, 0.f);
    }
    if (pieces.size() > (std::size_t(1) << 20))
        std::vector<float>().swap(pieces); // a huge line's pieces are not kept for the next one
    budget.release(scratch);
    return true;
}

void burst_axes::check_limit(qint64 total_samples, qint64 sample_limit)
{
    if (total_samples > sample_limit)
        throw loader_read_failed(
            QStringLiteral("Too many samples: the file holds more than %1 samples").arg(sample_limit));
}
