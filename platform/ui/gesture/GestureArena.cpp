#include "platform/ui/gesture/GestureArena.hpp"

#include <algorithm>

#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

using State = GestureRecognizer::State;

namespace {

bool isActive(State state) { return state == State::began || state == State::changed; }
bool isTerminal(State state) {
    return state == State::ended || state == State::cancelled || state == State::failed;
}

// Keeps the recognisers' order of first appearance.
void appendOnce(std::vector<std::shared_ptr<GestureRecognizer>>& list, const std::shared_ptr<GestureRecognizer>& r) {
    if (std::find(list.begin(), list.end(), r) == list.end()) list.push_back(r);
}

} // namespace

std::shared_ptr<GestureArena>& GestureArena::instance() {
    // Never destroyed: recognisers and the application may outlive static destruction.
    static auto* holder = new std::shared_ptr<GestureArena>(new GestureArena);
    return *holder;
}

GestureArena& GestureArena::shared() { return *instance(); }

void GestureArena::install() {
    static const bool installed = [] {
        Application::shared().setTouchInterceptor(instance());
        return true;
    }();
    (void)installed;
}

// ---------------------------------------------------------------- bookkeeping

GestureArena::Record* GestureArena::find(const Touch* touch) {
    for (auto& record : records_)
        if (record.touch.get() == touch) return &record;
    return nullptr;
}

const GestureArena::Record* GestureArena::find(const Touch* touch) const {
    for (const auto& record : records_)
        if (record.touch.get() == touch) return &record;
    return nullptr;
}

std::shared_ptr<GestureRecognizer> GestureArena::live(const Entry& entry) {
    auto recognizer = entry.recognizer.lock();
    if (!recognizer || recognizer->generation_ != entry.generation) return nullptr;
    return recognizer;
}

std::shared_ptr<GestureRecognizer> GestureArena::holder(const Record& record, const Entry& entry) {
    auto recognizer = live(entry);
    if (!recognizer || !recognizer->holdsTouch(record.touch.get())) return nullptr;
    return recognizer;
}

bool GestureArena::undecided(const GestureRecognizer& recognizer) {
    return recognizer.state_ == State::possible && (recognizer.engaged_ || recognizer.pending_);
}

bool GestureArena::holdsBack(const Record& record, bool began) {
    for (const auto& entry : record.entries) {
        auto recognizer = holder(record, entry);
        if (!recognizer || !undecided(*recognizer)) continue;
        if (began ? recognizer->delaysTouchesBegan_ : recognizer->delaysTouchesEnded_) return true;
    }
    return false;
}

bool GestureArena::sharesTouch(const GestureRecognizer& a, const GestureRecognizer& b) const {
    for (const auto& record : records_) {
        bool hasA = false, hasB = false;
        for (const auto& entry : record.entries) {
            auto recognizer = holder(record, entry);
            if (recognizer.get() == &a) hasA = true;
            if (recognizer.get() == &b) hasB = true;
        }
        if (hasA && hasB) return true;
    }
    return false;
}

bool GestureArena::simultaneous(GestureRecognizer& a, GestureRecognizer& b) {
    if (auto delegate = a.delegate(); delegate && delegate->gestureRecognizerShouldRecognizeSimultaneously(a, b))
        return true;
    if (auto delegate = b.delegate(); delegate && delegate->gestureRecognizerShouldRecognizeSimultaneously(b, a))
        return true;
    return false;
}

void GestureArena::note(const std::shared_ptr<GestureRecognizer>& recognizer) {
    for (const auto& weak : touched_)
        if (weak.lock() == recognizer) return;
    touched_.push_back(recognizer);
}

void GestureArena::removeSettledRecords() {
    std::erase_if(records_, [](const Record& record) {
        if (!record.touch->isFinished() || record.beganWithheld || record.endWithheld) return false;
        for (const auto& entry : record.entries)
            if (auto recognizer = holder(record, entry); recognizer && undecided(*recognizer)) return false;
        return true;
    });
}

// ---------------------------------------------------------------- steps 1 and 2

void GestureArena::collectRecognizers(const std::shared_ptr<Touch>& touch) {
    // The hit view and its ancestors, held while the delegates are asked: a delegate
    // may rearrange the tree.
    std::vector<std::shared_ptr<View>> chain;
    for (auto view = touch->view(); view; view = view->superview()) chain.push_back(view);
    std::vector<Entry> entries;
    for (const auto& view : chain) {
        auto recognizers = view->gestureRecognizers();
        for (const auto& recognizer : recognizers) {
            if (!recognizer || !recognizer->isEnabled() || recognizer->view() != view) continue;
            if (isTerminal(recognizer->state_) || recognizer->pending_) continue;
            if (auto delegate = recognizer->delegate()) {
                if (!delegate->gestureRecognizerShouldReceive(*recognizer, *touch)) continue;
                // The delegate may have moved, removed or switched it off meanwhile.
                if (!recognizer->isEnabled() || recognizer->view() != view) continue;
                if (isTerminal(recognizer->state_) || recognizer->pending_) continue;
            }
            recognizer->trackTouch(touch);
            entries.push_back(Entry{recognizer, recognizer->generation_});
            note(recognizer);
        }
    }
    if (Record* record = find(touch.get())) record->entries = std::move(entries);
}

void GestureArena::interceptEvent(const Event& event) {
    ++depth_;
    // New touches first: each is offered to the recognisers once, when it begins.
    for (const auto& touch : event.allTouches()) {
        if (!touch || touch->phase() != Touch::Phase::began || find(touch.get())) continue;
        records_.push_back(Record{touch, {}, false, false, false});
        collectRecognizers(touch);
    }

    // Each recogniser's share of the event, grouped by phase, deepest recogniser first.
    std::vector<std::shared_ptr<GestureRecognizer>> order;
    for (const auto& touch : event.allTouches()) {
        const Record* record = touch ? find(touch.get()) : nullptr;
        if (!record) continue;
        for (const auto& entry : record->entries)
            if (auto recognizer = holder(*record, entry)) appendOnce(order, recognizer);
    }
    for (const auto& recognizer : order) {
        const std::uint64_t generation = recognizer->generation_;
        TouchSet byPhase[4];
        for (const auto& touch : event.allTouches()) {
            if (!touch || !recognizer->holdsTouch(touch.get())) continue;
            switch (touch->phase()) {
            case Touch::Phase::began: byPhase[0].insert(touch); break;
            case Touch::Phase::moved: byPhase[1].insert(touch); break;
            case Touch::Phase::ended: byPhase[2].insert(touch); break;
            case Touch::Phase::cancelled: byPhase[3].insert(touch); break;
            case Touch::Phase::stationary: break;
            }
        }
        for (int phase = 0; phase < 4; ++phase) {
            if (byPhase[phase].empty()) continue;
            // A recogniser that has decided, or was dropped by an earlier call, hears
            // nothing more until it resets.
            if (recognizer->generation_ != generation || isTerminal(recognizer->state_) || !recognizer->isEnabled())
                break;
            switch (phase) {
            case 0: recognizer->touchesBegan(byPhase[phase], event); break;
            case 1: recognizer->touchesMoved(byPhase[phase], event); break;
            case 2: recognizer->touchesEnded(byPhase[phase], event); break;
            case 3: recognizer->touchesCancelled(byPhase[phase], event); break;
            }
            if (recognizer->generation_ == generation) recognizer->noteLocation();
        }
        note(recognizer);
    }
    --depth_;
    resolve();
    finish();
}

void GestureArena::request(GestureRecognizer& recognizer, State state) {
    if (resetting_) return;
    auto strong = recognizer.sharedFromThis<GestureRecognizer>();
    requests_.push_back(Request{strong, state});
    note(strong);
    if (depth_ == 0 && !resolving_) {
        resolve();
        finish();
    }
}

void GestureArena::recognizerAbandoned(GestureRecognizer& recognizer) {
    if (resetting_) return;
    std::erase_if(pending_, [&recognizer](const auto& weak) {
        auto strong = weak.lock();
        return !strong || strong.get() == &recognizer;
    });
    recheck();
}

void GestureArena::recheck() {
    if (depth_ == 0 && !resolving_) {
        resolve();
        finish();
    }
}

void GestureArena::resolve() {
    if (resolving_) return;
    resolving_ = true;
    do {
        while (!requests_.empty()) {
            Request request = requests_.front();
            requests_.erase(requests_.begin());
            if (auto recognizer = request.recognizer.lock()) process(recognizer, request.state);
        }
        reconsiderPending();
        releaseViews();
    } while (!requests_.empty());
    resolving_ = false;
}

void GestureArena::process(const std::shared_ptr<GestureRecognizer>& recognizer, State state) {
    const State current = recognizer->state_;
    switch (state) {
    case State::possible:
        break;
    case State::failed:
    case State::cancelled:
        if (current == State::possible) {
            fail(recognizer);
        } else if (isActive(current)) {
            recognizer->state_ = State::cancelled;
            recognizer->sendActions();
        }
        break;
    case State::began:
    case State::ended:
        if (current == State::possible) {
            if (!recognizer->pending_) {
                tryBegin(recognizer, state);
            } else if (state == State::ended && recognizer->pendingState_ == State::began) {
                // A continuous gesture that finished while it was still waiting.
                fail(recognizer);
            }
        } else if (state == State::ended && isActive(current)) {
            recognizer->state_ = State::ended;
            recognizer->sendActions();
        }
        break;
    case State::changed:
        if (isActive(current)) {
            recognizer->state_ = State::changed;
            recognizer->sendActions();
        }
        break;
    }
}

void GestureArena::tryBegin(const std::shared_ptr<GestureRecognizer>& recognizer, State state) {
    bool waiting = false;
    for (const auto& weak : recognizer->failureRequirements_) {
        auto other = weak.lock();
        if (!other) continue;
        if (isActive(other->state_) || other->state_ == State::ended) {
            fail(recognizer);
            return;
        }
        if (undecided(*other)) waiting = true;
    }
    if (waiting) {
        recognizer->pending_ = true;
        recognizer->pendingState_ = state;
        pending_.push_back(recognizer);
        return;
    }
    const std::uint64_t generation = recognizer->generation_;
    if (auto delegate = recognizer->delegate()) {
        bool begin = delegate->gestureRecognizerShouldBegin(*recognizer);
        if (recognizer->generation_ != generation || recognizer->state_ != State::possible) return;
        if (!begin) {
            fail(recognizer);
            return;
        }
    }
    // A recogniser already under way keeps its touches.
    std::vector<std::shared_ptr<GestureRecognizer>> others;
    for (const auto& record : records_)
        for (const auto& entry : record.entries)
            if (auto other = holder(record, entry); other && other != recognizer) appendOnce(others, other);
    for (const auto& other : others) {
        if (!isActive(other->state_) || !sharesTouch(*recognizer, *other)) continue;
        if (!simultaneous(*recognizer, *other)) {
            fail(recognizer);
            return;
        }
    }
    recognizer->state_ = state;
    recognizerStarted(recognizer);
}

void GestureArena::recognizerStarted(const std::shared_ptr<GestureRecognizer>& recognizer) {
    const std::uint64_t generation = recognizer->generation_;
    // Everything else still deciding about one of its touches loses it.
    std::vector<std::shared_ptr<GestureRecognizer>> rivals;
    for (const auto& record : records_) {
        bool mine = false;
        for (const auto& entry : record.entries)
            if (holder(record, entry) == recognizer) mine = true;
        if (!mine) continue;
        for (const auto& entry : record.entries)
            if (auto other = holder(record, entry); other && other != recognizer && other->state_ == State::possible)
                appendOnce(rivals, other);
    }
    for (const auto& other : rivals) {
        if (other->state_ != State::possible || simultaneous(*recognizer, *other)) continue;
        fail(other);
    }
    if (recognizer->generation_ != generation) return;
    // The views let go of the touches before the targets hear of the gesture, so a
    // target may remove a view without that view being called afterwards.
    if (recognizer->cancelsTouchesInView_) cancelTouchesInViews(*recognizer);
    if (recognizer->generation_ != generation) return;
    recognizer->sendActions();
}

void GestureArena::fail(const std::shared_ptr<GestureRecognizer>& recognizer) {
    if (recognizer->state_ != State::possible) return;
    recognizer->state_ = State::failed;
    recognizer->pending_ = false;
    std::erase_if(pending_, [&recognizer](const auto& weak) {
        auto strong = weak.lock();
        return !strong || strong == recognizer;
    });
    note(recognizer);
}

void GestureArena::reconsiderPending() {
    // Repeats until nothing moves: a recogniser that begins may fail another that
    // waited on it, and a failure may release the next.
    bool changed = true;
    while (changed) {
        changed = false;
        auto snapshot = pending_;
        for (const auto& weak : snapshot) {
            auto recognizer = weak.lock();
            if (!recognizer || !recognizer->pending_ || recognizer->state_ != State::possible) continue;
            bool waiting = false;
            bool lost = false;
            for (const auto& requirementWeak : recognizer->failureRequirements_) {
                auto requirement = requirementWeak.lock();
                if (!requirement) continue;
                if (isActive(requirement->state_) || requirement->state_ == State::ended) lost = true;
                else if (undecided(*requirement)) waiting = true;
            }
            if (lost) {
                fail(recognizer);
                changed = true;
            } else if (!waiting) {
                recognizer->pending_ = false;
                std::erase_if(pending_, [&recognizer](const auto& w) {
                    auto strong = w.lock();
                    return !strong || strong == recognizer;
                });
                tryBegin(recognizer, recognizer->pendingState_);
                changed = true;
            }
        }
    }
}

// ---------------------------------------------------------------- views

void GestureArena::cancelTouchesInViews(const GestureRecognizer& recognizer) {
    TouchSet touches;
    for (auto& record : records_) {
        if (record.cancelled) continue;
        bool mine = false;
        for (const auto& entry : record.entries)
            if (holder(record, entry).get() == &recognizer) mine = true;
        if (!mine) continue;
        record.cancelled = true;
        record.beganWithheld = false;
        record.endWithheld = false;
        touches.insert(record.touch);
    }
    if (!touches.empty()) Application::shared().cancelTouchesInViews(touches);
}

bool GestureArena::shouldDelayTouchBegan(const Touch& touch) {
    Record* record = find(&touch);
    if (!record || record->cancelled || !holdsBack(*record, true)) return false;
    record->beganWithheld = true;
    return true;
}

bool GestureArena::shouldDelayTouchEnded(const Touch& touch) {
    Record* record = find(&touch);
    if (!record || record->cancelled) return false;
    if (!record->beganWithheld && !holdsBack(*record, false)) return false;
    record->endWithheld = true;
    return true;
}

void GestureArena::releaseViews() {
    TouchSet began;
    for (auto& record : records_) {
        if (record.cancelled || !record.beganWithheld || holdsBack(record, true)) continue;
        record.beganWithheld = false;
        began.insert(record.touch);
    }
    if (!began.empty()) Application::shared().deliverDelayedTouchesBegan(began);
    TouchSet ended;
    for (auto& record : records_) {
        if (record.cancelled || !record.endWithheld || record.beganWithheld || holdsBack(record, false)) continue;
        record.endWithheld = false;
        ended.insert(record.touch);
    }
    if (!ended.empty()) Application::shared().deliverDelayedTouchesEnded(ended);
}

// ---------------------------------------------------------------- resets

void GestureArena::finish() {
    if (depth_ > 0 || resolving_) return;
    auto touched = std::move(touched_);
    touched_.clear();
    for (const auto& weak : touched) {
        auto recognizer = weak.lock();
        if (!recognizer) continue;
        if (isTerminal(recognizer->state_) && !recognizer->hasActiveTouches()) {
            recognizer->state_ = State::possible;
            recognizer->engaged_ = false;
            recognizer->pending_ = false;
            ++recognizer->generation_;
            recognizer->touches_.clear();
            recognizer->reset();
        } else if (recognizer->engaged_ || recognizer->pending_) {
            // Still under way: look at it again after the next event or timer.
            note(recognizer);
        }
    }
    removeSettledRecords();
}

void GestureArena::reset() {
    resetting_ = true;
    std::vector<std::shared_ptr<GestureRecognizer>> known;
    for (const auto& record : records_)
        for (const auto& entry : record.entries)
            if (auto recognizer = entry.recognizer.lock()) appendOnce(known, recognizer);
    for (const auto& weak : pending_)
        if (auto recognizer = weak.lock()) appendOnce(known, recognizer);
    for (const auto& weak : touched_)
        if (auto recognizer = weak.lock()) appendOnce(known, recognizer);
    records_.clear();
    requests_.clear();
    pending_.clear();
    touched_.clear();
    for (const auto& recognizer : known) recognizer->abandon();
    depth_ = 0;
    resolving_ = false;
    resetting_ = false;
}

} // namespace pellavo::ui
