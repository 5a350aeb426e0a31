#include "engine/method/alignment.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "engine/base/checked_arithmetic.h"
#include "engine/base/text_limits.h"
#include "engine/length/skip_profile.h"
#include "engine/text_index/text_pair_index.h"

namespace velmora {
namespace {

using std::int16_t;
using std::int32_t;

template <class T>
T plus(T a, T b)
{
    return checkedAdd<T>(a, b);
}
template <class T>
T minus(T a, T b)
{
    return checkedSub<T>(a, b);
}

constexpr std::int16_t kCandidateUnderTest = 6;
constexpr std::int16_t kNoCandidateStands = 7;

class Alignment {
public:
    Alignment(ComparisonState& state, Direction direction, WindowOperations& window, const AlignmentOptions& options)
        : s_(state),
          window_(window),
          direction_(direction),
          options_(options),
          box1_(direction == Direction::Compute1 ? Box::RT1 : Box::RT2),
          box2_(direction == Direction::Compute1 ? Box::RT2 : Box::RT1),
          column1_(direction == Direction::Compute1 ? kUpperColumn : kLowerColumn),
          column2_(direction == Direction::Compute1 ? kLowerColumn : kUpperColumn),
          counter_(static_cast<std::uint64_t>(std::max(state.CallCount, 0)), options.callLimit, options.control)
    {
    }

    AlignmentReport run()
    {
        try {
            start();
            while (s_.Pos1 <= s_.Len1 && s_.Pos2 <= s_.Len2) step();
            end();
            lengths_->settle(counter_);
        } catch (const OverflowError&) {
            storeCallCount();
            throw;
        }
        publish();
        return {counter_.exact()};
    }

private:
    char16_t text1At(int32_t p) const { return s_.Text1[static_cast<std::size_t>(p - 1)]; }
    char16_t text2At(int32_t p) const { return s_.Text2[static_cast<std::size_t>(p - 1)]; }

    void start()
    {
        s_.RowCount = 0;
        s_.CurrentRow = 0;
        s_.MatchTable.resize(1);
        s_.MatchAux.resize(1);
        s_.RecordedEnd = {kNoRecordedEnd, kNoRecordedEnd, kNoRecordedEnd};
        s_.Pos1 = s_.Pos2 = s_.Pos3 = 1;
        runStart_ = 1;
        firstWithPartner_ = 1;
        s_.ResultLength = 0;
        pendingSkips_ = 0;
        result_.clear();
        checkRestLength();
        lengths_ = options_.lengths
                       ? options_.lengths
                       : std::make_shared<LengthEngine>(options_.engine, s_.Text1, s_.Text2, options_.tuning);
    }

    // Every remainder is taken with the length max(Len1, Len2) + 1, held in 16 bits:
    // this is what limits a text to 32,766 characters.
    void checkRestLength() const
    {
        checkTextLengths(static_cast<std::size_t>(s_.Len1), static_cast<std::size_t>(s_.Len2));
    }

    void step()
    {
        const char16_t b = text2At(s_.Pos2);
        if (text1At(s_.Pos1) == b) {
            match();
            return;
        }
        openGap();
        s_.TakeLength = 0;
        s_.SkipLength = 0;
        s_.Verdict = 0;
        if (lookAhead(b))
            accept();
        else
            passOver();
    }

    void match()
    {
        if (pendingSkips_ > 0) {
            s_.Pos3 = minus(s_.Pos3, int32_t{pendingSkips_});
            setGapCounts(0, pendingSkips_);
            flushRun();
            runStart_ = s_.Pos2;
        }
        advanceAll();
        pendingSkips_ = 0;
    }

    void advanceAll()
    {
        s_.Pos1 = plus(s_.Pos1, 1);
        s_.Pos2 = plus(s_.Pos2, 1);
        s_.Pos3 = plus(s_.Pos3, 1);
    }

    // Tests the later occurrences of b in Text1 in order; true when one is accepted.
    bool lookAhead(char16_t b)
    {
        offset_ = 0;
        rejected_ = false;
        // Passing over b leaves Pos1, and the partners of the characters before b's first
        // occurrence (none of them is b), as they were: the next look-ahead for b weighs the
        // same first candidate against the same skip calls. Only its take length differs,
        // and it can only be shorter, so the rejection comes no later than the one kept.
        profileCarried_ =
            !weighedSkips_.empty() && s_.Pos1 == profilePos1_ && s_.Pos2 == profilePos2_ + 1 && b == profileChar_;
        if (!profileCarried_) weighedSkips_.clear();
        profilePos1_ = s_.Pos1;
        profilePos2_ = s_.Pos2;
        profileChar_ = b;
        for (auto candidate = lengths_->texts().firstOccurrences().occurrencesFrom(b, s_.Pos1);
             lengths_->texts().firstOccurrences().isOccurrence(candidate, b);) {
            offset_ = candidate->second - s_.Pos1;
            if (rejected_) {
                if (const auto run = weighRejectedRun(candidate->second)) {
                    candidate += run->candidates;
                    continue;
                }
            }
            if (candidateStands()) return true;
            rejected_ = true;
            ++candidate;
        }
        offset_ = s_.Len1 - s_.Pos1 + 1;  // where the scan of offsets runs out
        s_.Verdict = kNoCandidateStands;
        return false;
    }

    // Once a candidate is rejected every later one is too, at the first skipped character
    // whose skip length beats its take length; the skip lengths do not depend on the
    // candidate. So a long run of later candidates is weighed as a whole from what the
    // rejected one weighed, unless every call must be told.
    std::optional<RunWeight> weighRejectedRun(int32_t candidate)
    {
        if (options_.onCall || weighedSkips_.empty()) return std::nullopt;
        const auto weight = lengths_->weighRejectedRun({s_.Pos2, candidate, weighedSkips_}, counter_);
        if (!weight) return std::nullopt;
        s_.Verdict = kNoCandidateStands;
        s_.TakeLength = weight->lastTakeLength;
        s_.SkipLength = weight->lastSkipLength;
        return weight;
    }

    // What the skipped characters of the first candidate gave.
    void rememberSkip(std::optional<int16_t> skipLength, std::uint64_t calls)
    {
        if (!rejected_ && lengths_->weighsRejectedRuns(counter_)) weighedSkips_.add(skipLength, calls);
    }

    // Weighs each character the candidate would skip, matched with its partner (or the
    // partner remainder an earlier skipped character left), against taking the candidate.
    bool candidateStands()
    {
        s_.Verdict = kCandidateUnderTest;
        const int32_t candidate = plus(s_.Pos1, offset_);
        s_.TakeLength = (*lengths_)(candidate, s_.Pos2, counter_);
        s_.SkipLength = 0;
        if ((rejected_ || profileCarried_) && rejectedByFirstSkips()) return false;
        if (std::exchange(profileCarried_, false)) weighedSkips_.clear();  // weighed afresh below
        AlignmentCall last{AlignmentCall::Role::Take,       candidate, s_.Pos2, offset_, 0, s_.TakeLength,
                           AlignmentCall::Verdict::Standing};
        std::optional<int32_t> partnerRemainder;
        // The characters before the first that still has a partner make no call.
        const int32_t silent = lengths_->isLiteral() ? 0 : std::min(minus(firstWithPartner(), s_.Pos1), offset_);
        if (!rejected_ && lengths_->weighsRejectedRuns(counter_)) weighedSkips_.addUnbeaten(silent, 0);
        for (int16_t k = narrowTo<int16_t>(silent + 1); k <= offset_; k = plus<int16_t>(k, 1)) {
            const int32_t skippedAt = plus(s_.Pos1, int32_t{k} - 1);
            if (const int32_t partner = lengths_->texts().secondOccurrences().next(text1At(skippedAt), s_.Pos2);
                partner != 0)
                partnerRemainder = partner;
            if (!partnerRemainder) {
                rememberSkip(std::nullopt, 0);
                continue;
            }
            const std::uint64_t before = counter_.value();
            s_.SkipLength = (*lengths_)(skippedAt, *partnerRemainder, counter_);
            rememberSkip(s_.SkipLength, counter_.value() - before);
            tell(last);
            last = {AlignmentCall::Role::Skip,       skippedAt, *partnerRemainder, offset_, k, s_.SkipLength,
                    AlignmentCall::Verdict::Standing};
            if (s_.SkipLength > s_.TakeLength) {
                s_.Verdict = kNoCandidateStands;
                last.verdict = AlignmentCall::Verdict::Rejected;
                tell(last);
                return false;
            }
        }
        last.verdict = AlignmentCall::Verdict::Accepted;
        tell(last);
        return true;
    }

    // A later candidate's skipped characters begin with the rejected one's, and make the
    // same calls (they do not depend on the candidate). So it is rejected where the
    // running maximum of those skip lengths first beats its take length, after the same
    // skip calls: their invocations are counted again without making the calls again.
    bool rejectedByFirstSkips()
    {
        if (options_.onCall || weighedSkips_.empty() || !lengths_->weighsRejectedRuns(counter_)) return false;
        const auto rejection = weighedSkips_.rejection(s_.TakeLength, offset_);
        if (!rejection) return false;
        counter_.add(rejection->skipCalls);
        s_.SkipLength = rejection->skipLength;
        s_.Verdict = kNoCandidateStands;
        return true;
    }

    // The first position at or after Pos1 whose character still occurs in Text2 at or after
    // Pos2. Both cursors only move forward, and a character without a partner never gets
    // one again, so this position only moves forward too: over a whole alignment the scan
    // of characters without a partner costs one step each, not one per look-ahead.
    int32_t firstWithPartner()
    {
        firstWithPartner_ = std::max(firstWithPartner_, s_.Pos1);
        const OccurrenceIndex& second = lengths_->texts().secondOccurrences();
        while (firstWithPartner_ <= s_.Len1 && second.last(text1At(firstWithPartner_)) < s_.Pos2)
            firstWithPartner_ = plus(firstWithPartner_, 1);
        return firstWithPartner_;
    }

    void tell(const AlignmentCall& call) const
    {
        if (options_.onCall) options_.onCall(call);
    }

    void accept()
    {
        setGapCounts(offset_, pendingSkips_);
        s_.Pos3 = minus(s_.Pos3, int32_t{pendingSkips_});
        flushRun();
        colour(box2_, minus(minus(s_.Pos2, 1), int32_t{pendingSkips_}), pendingSkips_);
        colour(box1_, minus(s_.Pos1, 1), offset_);
        runStart_ = s_.Pos2;
        pendingSkips_ = 0;
        s_.Pos1 = plus(plus(s_.Pos1, offset_), 1);
        s_.Pos2 = plus(s_.Pos2, 1);
        s_.Pos3 = plus(s_.Pos3, 1);
        s_.Verdict = 0;
    }

    void passOver()
    {
        pendingSkips_ = plus<int16_t>(pendingSkips_, 1);
        colour(box2_, minus(s_.Pos2, 1), 1);
        s_.Verdict = 0;
        s_.Pos2 = plus(s_.Pos2, 1);
        s_.Pos3 = plus(s_.Pos3, 1);
    }

    void end()
    {
        flushRun();
        const int32_t rest1 = plus(minus(s_.Len1, s_.Pos1), 1);
        if (s_.Pos2 > s_.Len2) {
            if (pendingSkips_ > 0) {
                setGapCounts(rest1, pendingSkips_);
                colour(box1_, minus(s_.Pos1, 1), rest1);
                colour(box2_, minus(minus(s_.Pos2, 1), int32_t{pendingSkips_}), pendingSkips_);
                pendingSkips_ = 0;
            } else {
                openRow();
                setGapCounts(rest1, 0);
                colour(box1_, minus(s_.Pos1, 1), rest1);
            }
            return;
        }
        openRow();
        s_.Pos3 = minus(s_.Pos3, int32_t{pendingSkips_});
        const int32_t rest2 = plus(minus(s_.Len2, s_.Pos2), 1);
        setGapCounts(0, rest2);
        colour(box2_, minus(s_.Pos2, 1), rest2);
    }

    void publish()
    {
        s_.RowCount = s_.CurrentRow;
        window_.collapseSelection(Box::RT1);
        window_.collapseSelection(Box::RT2);
        window_.setText(Box::RT3, result_);
        window_.yield();
        s_.ModeMark.clear();
        storeCallCount();
        window_.setCaption(Label::Label5, decimalText(counter_.exact()));
        window_.setCaption(Label::Label4, lengthCaption(direction_, s_.ResultLength));
    }

    void storeCallCount()
    {
        const auto calls = counter_.value64().value_or(CallCounter::kWindowLimit);
        s_.CallCount = static_cast<int32_t>(std::min<std::uint64_t>(calls, CallCounter::kWindowLimit));
    }

    // A mismatch opens a gap unless passed-over characters keep one open.
    void openGap()
    {
        if (pendingSkips_ == 0) openRow();
    }

    // Gives the gap that begins here a row of its own, while fewer than 300 exist; past
    // that the gap is still coloured exactly, but the rows keep describing the first 300
    // gaps and the region they describe ends where this gap begins.
    void openRow()
    {
        gapHasRow_ = s_.CurrentRow < kMaxGapRows;
        const GapRow starts = oriented(s_.Pos1, s_.Pos2, s_.Pos3);
        if (!gapHasRow_) {
            if (s_.RecordedEnd[kResultColumn] == kNoRecordedEnd) s_.RecordedEnd = starts;
            return;
        }
        s_.CurrentRow = plus<int16_t>(s_.CurrentRow, 1);
        s_.MatchTable.push_back(starts);
        s_.MatchAux.push_back({0, 0, 0});
    }

    void setGapCounts(int32_t count1, int32_t count2)
    {
        if (gapHasRow_) s_.MatchAux[static_cast<std::size_t>(s_.CurrentRow)] = oriented(count1, count2, 0);
    }

    GapRow oriented(int32_t value1, int32_t value2, int32_t resultValue) const
    {
        GapRow row{};
        row[static_cast<std::size_t>(column1_)] = value1;
        row[static_cast<std::size_t>(column2_)] = value2;
        row[kResultColumn] = resultValue;
        return row;
    }

    // Appends the run of matched characters that ends before the pending skips.
    void flushRun()
    {
        const int32_t run = minus(minus(s_.Pos2, int32_t{pendingSkips_}), runStart_);
        if (run <= 0) return;
        result_.append(s_.Text2, static_cast<std::size_t>(runStart_ - 1), static_cast<std::size_t>(run));
        s_.ResultLength = plus<int16_t>(s_.ResultLength, narrowTo<int16_t>(run));
    }

    void colour(Box box, int32_t start, int32_t length) { window_.colourGap(box, start, length); }

    ComparisonState& s_;
    WindowOperations& window_;
    const Direction direction_;
    const AlignmentOptions options_;
    const Box box1_, box2_;
    const int column1_, column2_;
    CallCounter counter_;
    std::shared_ptr<LengthEngine> lengths_;
    int32_t runStart_ = 1;
    int16_t pendingSkips_ = 0;
    int32_t offset_ = 0;
    int32_t firstWithPartner_ = 1;
    SkipProfile weighedSkips_;
    // Where the skips in weighedSkips_ were weighed (Pos1, Pos2 and b), and whether this
    // look-ahead's first candidate weighs against them.
    int32_t profilePos1_ = 0, profilePos2_ = 0;
    char16_t profileChar_ = 0;
    bool profileCarried_ = false;
    bool rejected_ = false;  // a candidate of this look-ahead was rejected
    bool gapHasRow_ = false;
    std::u16string result_;
};

}  // namespace

AlignmentReport Align(ComparisonState& state, Direction direction, WindowOperations& window,
                      const AlignmentOptions& options)
{
    return Alignment(state, direction, window, options).run();
}

}  // namespace velmora
