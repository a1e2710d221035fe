#include "outbox.h"

#include <algorithm>
#include <vector>

namespace qelv::modemsim {

namespace {

constexpr std::size_t kStreamChunk = 16 * 1024;
// A stream that was held back may catch up by at most this much time's worth of bytes.
constexpr std::chrono::duration<double> kStreamBurst = std::chrono::milliseconds(20);
// Slow streams still write in runs of this much time's worth, not byte by byte.
constexpr std::chrono::duration<double> kStreamStep = std::chrono::milliseconds(10);

double smallestStreamWrite(double bytesPerSecond) {
    return std::clamp(bytesPerSecond * kStreamStep.count(), 1.0, double(kStreamChunk));
}

std::vector<std::size_t> cutPoints(std::size_t size) {
    std::vector<std::size_t> cuts;
    if (size < 2) return cuts;
    for (std::size_t cut : {std::size_t{2}, size / 2, size - 2})
        if (cut > 0 && cut < size && (cuts.empty() || cut > cuts.back())) cuts.push_back(cut);
    return cuts;
}

}  // namespace

void Outbox::send(std::string_view bytes, Clock::time_point notBefore) {
    bytes = bytes.substr(0, kCapacity - m_queued);
    if (bytes.empty()) return;
    m_pieces.push_back({std::string(bytes), notBefore});
    m_queued += bytes.size();
}

void Outbox::sendInPieces(std::string_view bytes, Clock::time_point start) {
    std::size_t begin = 0;
    Clock::time_point due = start;
    for (std::size_t cut : cutPoints(bytes.size())) {
        send(bytes.substr(begin, cut - begin), due);
        begin = cut;
        due += kPieceGap;
    }
    send(bytes.substr(begin), due);
}

void Outbox::startStream(std::string pattern, std::size_t bytesPerSecond, Clock::time_point now) {
    if (pattern.empty() || bytesPerSecond == 0) return;
    m_stream = Stream{std::move(pattern), static_cast<double>(bytesPerSecond), 0.0, now, 0};
}

void Outbox::drain(Clock::time_point now, const Writer& write) {
    m_blocked = false;
    drainPieces(now, write);
    if (!m_blocked && m_pieces.empty() && m_stream) drainStream(now, write);
}

void Outbox::drainPieces(Clock::time_point now, const Writer& write) {
    while (!m_pieces.empty() && m_pieces.front().notBefore <= now) {
        const std::string& bytes = m_pieces.front().bytes;
        const std::size_t written = write(std::string_view(bytes).substr(m_headWritten));
        m_headWritten += written;
        m_queued -= written;
        if (m_headWritten < bytes.size()) {
            m_blocked = true;
            return;
        }
        m_pieces.pop_front();
        m_headWritten = 0;
    }
}

void Outbox::drainStream(Clock::time_point now, const Writer& write) {
    refill(now);
    Stream& stream = *m_stream;
    std::string chunk;
    while (stream.allowance >= smallestStreamWrite(stream.bytesPerSecond)) {
        const auto wanted = std::min(kStreamChunk, static_cast<std::size_t>(stream.allowance));
        chunk.clear();
        for (std::size_t i = 0; i < wanted; ++i)
            chunk += stream.pattern[(stream.phase + i) % stream.pattern.size()];
        const std::size_t written = write(chunk);
        stream.allowance -= static_cast<double>(written);
        stream.phase = (stream.phase + written) % stream.pattern.size();
        if (written < wanted) {
            m_blocked = true;
            return;
        }
    }
}

void Outbox::refill(Clock::time_point now) {
    Stream& stream = *m_stream;
    const double elapsed = std::chrono::duration<double>(now - stream.refilledAt).count();
    const double burst = std::max(stream.bytesPerSecond * kStreamBurst.count(),
                                  static_cast<double>(stream.pattern.size()));
    stream.allowance = std::min(burst, stream.allowance + elapsed * stream.bytesPerSecond);
    stream.refilledAt = now;
}

std::optional<Clock::time_point> Outbox::nextDue() const {
    if (m_blocked) return std::nullopt;
    if (!m_pieces.empty()) return m_pieces.front().notBefore;
    if (!m_stream) return std::nullopt;
    const double smallest = smallestStreamWrite(m_stream->bytesPerSecond);
    const double missing = std::max(0.0, smallest - m_stream->allowance);
    const std::chrono::duration<double> wait(missing / m_stream->bytesPerSecond);
    return m_stream->refilledAt + std::chrono::ceil<Clock::duration>(wait);
}

void Outbox::clear() {
    m_pieces.clear();
    m_headWritten = 0;
    m_queued = 0;
    m_blocked = false;
    m_stream.reset();
}

}  // namespace qelv::modemsim
