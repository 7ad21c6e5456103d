#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"
#include "platform/ui/event/TouchInterceptor.hpp"

namespace pellavo::ui {

class Event;
class Touch;

// The recogniser half of touch delivery, installed in ui::Application as its touch
// interceptor. For every touch event, before the views hear of it:
//   1. each new touch is given to the enabled recognisers of its hit view and that
//      view's ancestors, deepest first, that accept it (the delegate's shouldReceive,
//      asked once); each recogniser then sees its share of the event;
//   2. the state changes they asked for are settled (failure requirements, the
//      delegate's shouldBegin, exclusion of recognisers sharing a touch) and actions
//      are sent. A recogniser with cancelsTouchesInView that begins or recognises
//      has its touches cancelled in their views.
// A view's touchesEnded waits while a recogniser holding the touch with
// delaysTouchesEnded may still recognise; it is released once they have all failed
// and becomes touchesCancelled if one of them takes the touch. delaysTouchesBegan
// does the same for touchesBegan (the view then never hears of a touch that a
// recogniser takes). Timers (a tap waiting
// for its next tap) settle outside events by the same rules.
class PELLAVO_EXPORT GestureArena : public TouchInterceptor {
public:
    static GestureArena& shared();
    // Makes the arena the application's interceptor (done once, by the first recogniser).
    static void install();

    void interceptEvent(const Event& event) override;
    bool shouldDelayTouchBegan(const Touch& touch) override;
    bool shouldDelayTouchEnded(const Touch& touch) override;
    // Forgets every touch and gesture (application reset).
    void reset() override;

    // Number of touches the arena still keeps track of (for tests of cleanup).
    std::size_t trackedTouchCount() const { return records_.size(); }

private:
    friend class GestureRecognizer;

    struct Entry {
        std::weak_ptr<GestureRecognizer> recognizer;
        std::uint64_t generation = 0;
    };
    struct Record {
        std::shared_ptr<Touch> touch;
        std::vector<Entry> entries;
        bool cancelled = false;
        bool beganWithheld = false;
        bool endWithheld = false;
    };
    struct Request {
        std::weak_ptr<GestureRecognizer> recognizer;
        GestureRecognizer::State state;
    };

    GestureArena() = default;
    static std::shared_ptr<GestureArena>& instance();

    Record* find(const Touch* touch);
    const Record* find(const Touch* touch) const;
    void collectRecognizers(const std::shared_ptr<Touch>& touch);
    static std::shared_ptr<GestureRecognizer> live(const Entry& entry);

    // From GestureRecognizer::setState and friends.
    void request(GestureRecognizer& recognizer, GestureRecognizer::State state);
    void recognizerAbandoned(GestureRecognizer& recognizer);
    // Settles what waited on recognisers that have gone away.
    void recheck();

    void resolve();
    void process(const std::shared_ptr<GestureRecognizer>& recognizer, GestureRecognizer::State state);
    void tryBegin(const std::shared_ptr<GestureRecognizer>& recognizer, GestureRecognizer::State state);
    void fail(const std::shared_ptr<GestureRecognizer>& recognizer);
    void recognizerStarted(const std::shared_ptr<GestureRecognizer>& recognizer);
    void releaseDependents(const GestureRecognizer& recognizer, bool failed);
    void cancelTouchesInViews(const GestureRecognizer& recognizer);
    void releaseViews();
    void reconsiderPending();
    void finish();
    void removeSettledRecords();
    bool sharesTouch(const GestureRecognizer& a, const GestureRecognizer& b) const;
    static bool simultaneous(GestureRecognizer& a, GestureRecognizer& b);
    // A requirement that is still deciding: possible and under way.
    static bool undecided(const GestureRecognizer& recognizer);
    static std::shared_ptr<GestureRecognizer> holder(const Record& record, const Entry& entry);
    static bool holdsBack(const Record& record, bool began);
    void note(const std::shared_ptr<GestureRecognizer>& recognizer);

    std::vector<Record> records_;
    std::vector<Request> requests_;
    std::vector<std::weak_ptr<GestureRecognizer>> pending_;
    // Recognisers that took part since the last finish(), to reset when done.
    std::vector<std::weak_ptr<GestureRecognizer>> touched_;
    int depth_ = 0;
    bool resolving_ = false;
    bool resetting_ = false;
};

} // namespace pellavo::ui
