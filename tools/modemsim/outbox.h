#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qelv::modemsim {

using Clock = std::chrono::steady_clock;

// What a device has to say, in order, each piece no earlier than its time. Pieces leave strictly
// first in, first out, so an echo queued behind a delayed reply waits for it, as on a real line.
// A stream is endless filler produced only when the line can take it, so nothing of it queues.
class Outbox {
public:
    // Takes bytes and returns how many it accepted; 0 when the line is full.
    using Writer = std::function<std::size_t(std::string_view)>;

    // Beyond this, new output is lost like a UART overrun instead of growing without bound.
    static constexpr std::size_t kCapacity = 64 * 1024;
    static constexpr std::chrono::milliseconds kPieceGap{5};

    void send(std::string_view bytes, Clock::time_point notBefore);
    // Cuts the bytes into up to four pieces kPieceGap apart, so readers must join reads.
    void sendInPieces(std::string_view bytes, Clock::time_point start);
    void startStream(std::string pattern, std::size_t bytesPerSecond, Clock::time_point now);

    void drain(Clock::time_point now, const Writer& write);
    // True when the last drain stopped at a full line; the next try should wait for room.
    bool waitsForRoom() const { return m_blocked; }
    // When output becomes due next without waiting for room; nullopt when nothing is pending.
    std::optional<Clock::time_point> nextDue() const;
    void clear();

private:
    struct Piece {
        std::string bytes;
        Clock::time_point notBefore;
    };
    struct Stream {
        std::string pattern;
        double bytesPerSecond = 0;
        double allowance = 0;
        Clock::time_point refilledAt;
        std::size_t phase = 0;
    };

    void drainPieces(Clock::time_point now, const Writer& write);
    void drainStream(Clock::time_point now, const Writer& write);
    void refill(Clock::time_point now);

    std::deque<Piece> m_pieces;
    std::size_t m_headWritten = 0;
    std::size_t m_queued = 0;
    bool m_blocked = false;
    std::optional<Stream> m_stream;
};

}  // namespace qelv::modemsim
