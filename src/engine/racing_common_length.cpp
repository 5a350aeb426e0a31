#include "engine/racing_common_length.h"

#include <optional>

#include "engine/checked_arithmetic.h"

namespace velmora {

// One engine with the count of the call it is working on, from the caller's count on.
struct RacingCommonLength::Runner {
    FastCommonLength engine;
    std::optional<CallCounter> count;

    Runner(std::u16string_view first, std::u16string_view second, std::size_t mostDenseCells,
           FastCommonLength::Order order)
        : engine(first, second, mostDenseCells, order)
    {
    }
    void start(std::int32_t i, std::int32_t j, const CallCounter& caller)
    {
        count.emplace(caller.value(), caller.limit(), caller.control());
        engine.start(i, j, *count);
    }
    bool advance() { return engine.advance(*count, kTurn); }
};

RacingCommonLength::RacingCommonLength(std::u16string_view first, std::u16string_view second,
                                       std::size_t mostDenseCells)
    : first_(first), second_(second), mostDenseCells_(mostDenseCells)
{
}

RacingCommonLength::~RacingCommonLength() = default;

std::int16_t RacingCommonLength::invoke(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    if (!candidatesFirst_)
        candidatesFirst_ = std::make_unique<Runner>(first_, second_, mostDenseCells_,
                                                    FastCommonLength::Order::CandidatesFirst);
    Runner* winner = nullptr;
    try {
        candidatesFirst_->start(i, j, counter);
        if (candidatesFirst_->advance()) {
            winner = candidatesFirst_.get();
        } else {
            // Most calls end within one turn; only the long ones pay for a second engine.
            if (!continuationFirst_)
                continuationFirst_ = std::make_unique<Runner>(first_, second_, mostDenseCells_,
                                                              FastCommonLength::Order::ContinuationFirst);
            continuationFirst_->start(i, j, counter);
            for (;;) {
                if (continuationFirst_->advance()) {
                    winner = continuationFirst_.get();
                    break;
                }
                if (candidatesFirst_->advance()) {
                    winner = candidatesFirst_.get();
                    break;
                }
            }
        }
    } catch (const OverflowError& error) {
        if (error.limit() != OverflowLimit::CallCount) throw;
        // One order has counted past the limit: the caller's count passes it too.
        counter.add(counter.limit() - counter.value() + 1);
        throw;
    }
    counter.add(winner->count->value() - counter.value());
    return winner->engine.result();
}

std::int16_t RacingCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                  std::size_t mostDenseCells)
{
    RacingCommonLength engine(first, second, mostDenseCells);
    return engine.invoke(1, 1, counter);
}

}  // namespace velmora
