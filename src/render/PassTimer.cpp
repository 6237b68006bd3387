// PassTimer: a ring of per-frame query slots. Each slot holds the two frame timestamps and a pool
// of GL_TIME_ELAPSED queries reused frame after frame; a slot is read back once the ring comes
// round to it again (or earlier, when its queries happen to be complete already).
#include "render/PassTimer.h"

#include "gpu/GL.h"

#include <algorithm>
#include <utility>

namespace {

constexpr double kNanosecondsPerMillisecond = 1.0e6;

struct Bracket {
    FramePass pass;
    GLuint query;
};

struct Slot {
    std::int64_t frame = 0;
    bool open = false;    // between beginFrame and endFrame
    bool pending = false; // closed, results not read yet
    GLuint stamps[2] = {0, 0};
    std::vector<GLuint> pool; // query objects owned by this slot
    std::vector<Bracket> brackets;
};

struct TimerState {
    bool active = false;
    std::vector<Slot> slots;
    int openSlot = -1;
    int timedPass = -1; // the pass whose query is running, -1 when none
    std::int64_t nextFrame = 0;
    std::int64_t nextToRead = 0;
    int nested = 0;
    std::vector<FrameGpuTimes> completed;
};

TimerState state;

const PassHooks timerHooks = {&PassTimer::begin, &PassTimer::end};

Slot& slotOf(std::int64_t frame) {
    return state.slots[static_cast<size_t>(frame % static_cast<std::int64_t>(state.slots.size()))];
}

GLuint takeQuery(Slot& slot) {
    size_t used = slot.brackets.size();
    if (used == slot.pool.size()) {
        GLuint query = 0;
        glGenQueries(1, &query);
        slot.pool.push_back(query);
    }
    return slot.pool[used];
}

bool queryAvailable(GLuint query) {
    GLuint available = GL_FALSE;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT_AVAILABLE, &available);
    return available == GL_TRUE;
}

bool slotAvailable(const Slot& slot) {
    if (!queryAvailable(slot.stamps[1])) {
        return false;
    }
    return std::all_of(slot.brackets.begin(), slot.brackets.end(),
                       [](const Bracket& bracket) { return queryAvailable(bracket.query); });
}

double resultMs(GLuint query) {
    GLuint64 nanoseconds = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &nanoseconds);
    return static_cast<double>(nanoseconds) / kNanosecondsPerMillisecond;
}

FrameGpuTimes readSlot(Slot& slot) {
    FrameGpuTimes times;
    times.frame = slot.frame;
    for (const Bracket& bracket : slot.brackets) {
        int index = static_cast<int>(bracket.pass);
        times.passMs[index] += resultMs(bracket.query);
        times.passRan[index] = true;
    }
    GLuint64 start = 0;
    GLuint64 end = 0;
    glGetQueryObjectui64v(slot.stamps[0], GL_QUERY_RESULT, &start);
    glGetQueryObjectui64v(slot.stamps[1], GL_QUERY_RESULT, &end);
    times.frameMs =
        end > start ? static_cast<double>(end - start) / kNanosecondsPerMillisecond : 0.0;
    slot.pending = false;
    return times;
}

// Reads closed frames in order. Frames before `mustReadBefore` are read even if that means
// waiting; later ones only when complete, or all of them when `waitAll` is set.
void readPending(bool waitAll, std::int64_t mustReadBefore) {
    while (state.nextToRead < state.nextFrame) {
        Slot& slot = slotOf(state.nextToRead);
        if (slot.open || !slot.pending) {
            break;
        }
        bool mustRead = waitAll || state.nextToRead < mustReadBefore;
        if (!mustRead && !slotAvailable(slot)) {
            break;
        }
        state.completed.push_back(readSlot(slot));
        ++state.nextToRead;
    }
}

void deleteQueries() {
    for (Slot& slot : state.slots) {
        glDeleteQueries(2, slot.stamps);
        if (!slot.pool.empty()) {
            glDeleteQueries(static_cast<GLsizei>(slot.pool.size()), slot.pool.data());
        }
    }
    state.slots.clear();
}

} // namespace

void PassTimer::activate(int latencyFrames) {
    if (state.active) {
        deactivate();
    }
    state = TimerState();
    state.active = true;
    state.slots.resize(static_cast<size_t>(std::max(latencyFrames, 0) + 1));
    for (Slot& slot : state.slots) {
        glGenQueries(2, slot.stamps);
    }
}

void PassTimer::deactivate() {
    if (!state.active) {
        return;
    }
    if (state.timedPass >= 0) {
        glEndQuery(GL_TIME_ELAPSED);
    }
    deleteQueries();
    state = TimerState();
}

bool PassTimer::isActive() {
    return state.active;
}

void PassTimer::beginFrame() {
    if (!state.active) {
        return;
    }
    if (state.openSlot >= 0) {
        endFrame();
    }
    std::int64_t frame = state.nextFrame;
    // The slot this frame reuses belongs to the frame one ring length ago: read it first.
    readPending(false, frame - static_cast<std::int64_t>(state.slots.size()) + 1);
    Slot& slot = slotOf(frame);
    slot.frame = frame;
    slot.open = true;
    slot.brackets.clear();
    state.openSlot = static_cast<int>(frame % static_cast<std::int64_t>(state.slots.size()));
    ++state.nextFrame;
    glQueryCounter(slot.stamps[0], GL_TIMESTAMP);
}

void PassTimer::endFrame() {
    if (!state.active || state.openSlot < 0) {
        return;
    }
    if (state.timedPass >= 0) {
        glEndQuery(GL_TIME_ELAPSED);
        state.timedPass = -1;
    }
    Slot& slot = state.slots[static_cast<size_t>(state.openSlot)];
    glQueryCounter(slot.stamps[1], GL_TIMESTAMP);
    slot.open = false;
    slot.pending = true;
    state.openSlot = -1;
    readPending(false, 0);
}

void PassTimer::begin(FramePass pass) {
    if (!state.active || state.openSlot < 0) {
        return;
    }
    if (state.timedPass >= 0) {
        ++state.nested;
        return;
    }
    Slot& slot = state.slots[static_cast<size_t>(state.openSlot)];
    GLuint query = takeQuery(slot);
    slot.brackets.push_back({pass, query});
    glBeginQuery(GL_TIME_ELAPSED, query);
    state.timedPass = static_cast<int>(pass);
}

void PassTimer::end(FramePass pass) {
    if (!state.active || state.timedPass != static_cast<int>(pass)) {
        return;
    }
    glEndQuery(GL_TIME_ELAPSED);
    state.timedPass = -1;
}

std::vector<FrameGpuTimes> PassTimer::collect(bool wait) {
    if (state.active) {
        readPending(wait, 0);
    }
    return std::exchange(state.completed, {});
}

int PassTimer::nestedBrackets() {
    return state.nested;
}

const char* PassTimer::name(FramePass pass) {
    int index = static_cast<int>(pass);
    return index >= 0 && index < kFramePassCount ? kFramePassNames[index].key : "unknown";
}

const PassHooks* PassTimer::hooks() {
    return &timerHooks;
}
