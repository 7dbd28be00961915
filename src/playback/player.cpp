#include "playback/player.h"

#include "model/app_context.h"
#include "platform/clock.h"
#include "playback/mci_device.h"

namespace tw {

namespace {

constexpr uint32_t kHoldDelayMs = 800;
constexpr uint32_t kHoldRepeatMs = 250;
constexpr uint32_t kOpenFailWaitMs = 2500;
constexpr int32_t kSeekStepMs = 10000;

MciWrapper Device(AppContext& ctx) { return MciWrapper(*ctx.platform.mci, *ctx.platform.files); }

uint32_t Now(AppContext& ctx) { return ctx.platform.clock->GetTickCount(); }

bool PlayingOrAboutTo(int16_t state) { return (state >= 10 && state <= 39) || state >= 80; }

void StartHolding(AppContext& ctx, int16_t code, uint32_t now) {
    PlayerRuntime& p = ctx.player;
    p.HeldFirstStep = true;
    p.HeldSince = now;
    p.HeldCommand = code;
}

// Opens the current entry; false (position 0) when it cannot be opened.
bool OpenCurrent(AppContext& ctx, MciWrapper& device) {
    PlayerRuntime& p = ctx.player;
    const SearchHit& entry = ctx.live.PlayList[p.PlayIndex];
    if (device.OpenDevice(kDeviceAlias, entry.FullPath()) != 0) {
        p.PlayPosition = 0;
        return false;
    }
    p.DeviceOpen = true;
    p.TrackLength = device.GetLength();
    return true;
}

bool HasCurrentEntry(const AppContext& ctx) {
    const int16_t i = ctx.player.PlayIndex;
    return i >= 0 && i < ctx.live.PlayCount;
}

}  // namespace

void MoveInList(AppContext& ctx, int16_t delta) {
    PlayerRuntime& p = ctx.player;
    const int16_t count = ctx.live.PlayCount;
    if (count <= 0) return;  // nothing to move to
    int index = p.PlayIndex + delta;
    if (index < 0) index = count - 1;
    if (index >= count) index = 0;
    p.PlayIndex = static_cast<int16_t>(index);
    p.PlayerState = PlayingOrAboutTo(p.PlayerState) ? 30 : 70;
}

void SeekBy(AppContext& ctx, int32_t delta) {
    PlayerRuntime& p = ctx.player;
    if (p.PlayerState >= 30) return;
    ctx.run.BlinkBase = Now(ctx);
    int64_t pos = static_cast<int64_t>(p.PlayPosition) + delta;
    if (pos >= p.TrackLength) pos = static_cast<int64_t>(p.TrackLength) - 1;
    if (pos < 0) pos = 0;
    p.PlayPosition = static_cast<int32_t>(pos);
    p.PlayerState = p.PlayerState == 0 ? 60 : 20;
}

void RunPlayerCommand(AppContext& ctx, int16_t code, int16_t kind, bool overSameButton) {
    // A command ends any fresh message, so the play status shows at once;
    // starting a list keeps the message that announced it ("playing ...").
    if (code != kCmdStartList) ctx.run.MessageTime = 0;
    const uint32_t now = Now(ctx);
    PlayerRuntime& p = ctx.player;
    const bool actsNow = kind == kEventDirect || kind == kEventWheelStep || kind == kEventButtonDown ||
                         (kind == kEventPadUp && overSameButton);
    const bool instant = kind == kEventDirect || kind == kEventWheelStep;
    const bool press = kind == kEventButtonDown || kind == kEventPadDown;
    const bool release = kind == kEventButtonUp || kind == kEventPadUp;

    switch (code) {
    case kCmdStartList:
        p.PlayerState = 30;
        break;
    case kCmdCloseDevice: {
        MciWrapper device = Device(ctx);
        device.StopDevice();
        device.CloseDevice();
        p.PlayerState = 0;
        p.DeviceOpen = false;
        p.PlayPosition = 0;
        break;
    }
    case kCmdStop:
        if (actsNow && (PlayingOrAboutTo(p.PlayerState) || (p.PlayerState == 0 && p.PlayPosition > 0)))
            p.PlayerState = 40;
        break;
    case kCmdPlayPause:
        if (!actsNow) break;
        if (p.PlayerState == 0) p.PlayerState = 10;
        else if (p.PlayerState == 11) p.PlayerState = 50;
        else if (p.PlayerState == 81) p.PlayerState = 0;
        break;
    case kCmdPlay:
        if (actsNow && p.PlayerState == 0) p.PlayerState = 10;
        break;
    case kCmdCurrentTrack:
        if (actsNow) MoveInList(ctx, 0);
        break;
    case kCmdFastForward:
    case kCmdRewind:
        if (instant) SeekBy(ctx, code == kCmdFastForward ? kSeekStepMs : -kSeekStepMs);
        else if (press) StartHolding(ctx, code, now);
        else if (release) p.HeldCommand = -1;
        break;
    case kCmdNextTrack:
    case kCmdPreviousTrack:
        if (instant) MoveInList(ctx, code == kCmdNextTrack ? 1 : -1);
        else if (press) StartHolding(ctx, code, now);
        else if (release) p.HeldCommand = -1;
        break;
    case kCmdNextOrForward:
    case kCmdPreviousOrRewind: {
        const int16_t delta = code == kCmdNextOrForward ? 1 : -1;
        if (instant) {
            MoveInList(ctx, delta);
        } else if (press) {
            StartHolding(ctx, code, now);
        } else if (release) {
            // A click shorter than the hold delay is a move; a hold has wound.
            if ((kind == kEventButtonUp || overSameButton) && ElapsedMs(now, p.HeldSince) < kHoldDelayMs)
                MoveInList(ctx, delta);
            p.HeldCommand = -1;
        }
        break;
    }
    default:
        break;
    }
}

void HeldCommandStep(AppContext& ctx) {
    PlayerRuntime& p = ctx.player;
    const int16_t code = p.HeldCommand;
    if (code < kCmdFastForward || code > kCmdPreviousOrRewind) return;
    const uint32_t now = Now(ctx);
    const bool due = ElapsedMs(now, p.HeldSince) > kHoldDelayMs && ElapsedMs(now, p.HeldLastStep) > kHoldRepeatMs;
    const bool forward = code == kCmdFastForward || code == kCmdNextTrack || code == kCmdNextOrForward;
    if (p.HeldFirstStep) {
        p.HeldFirstStep = false;
        if (code == kCmdFastForward || code == kCmdRewind) SeekBy(ctx, forward ? kSeekStepMs : -kSeekStepMs);
        else if (code == kCmdNextTrack || code == kCmdPreviousTrack) MoveInList(ctx, forward ? 1 : -1);
        return;  // the combined buttons wait out the delay first
    }
    if (!due) return;
    p.HeldLastStep = now;
    if (code == kCmdNextTrack || code == kCmdPreviousTrack) MoveInList(ctx, forward ? 1 : -1);
    else SeekBy(ctx, forward ? kSeekStepMs : -kSeekStepMs);
}

void PlayerStep(AppContext& ctx) {
    PlayerRuntime& p = ctx.player;
    MciWrapper device = Device(ctx);
    const bool loopAll = ctx.live.Settings.LoopAll != 0;
    const int16_t count = ctx.live.PlayCount;
    for (;;) {
        switch (p.PlayerState) {
        case 10:
            if (!p.DeviceOpen) {
                if (!HasCurrentEntry(ctx)) {  // the list was emptied under us
                    p.PlayerState = 0;
                    return;
                }
                if (!OpenCurrent(ctx, device)) {
                    p.PlayerState = 80;
                    continue;
                }
                // A closed device with a position is a place kept from the
                // last run: go on from there.
                if (p.PlayPosition > 0 && p.PlayPosition < p.TrackLength) device.SeekDevice(p.PlayPosition);
                else p.PlayPosition = 0;
            }
            device.PlayDevice();
            p.PlayerState = 11;
            continue;
        case 11: {
            const int32_t before = p.PlayPosition;
            p.PlayPosition = device.GetPosition();
            // The end shows as the position reaching the length. Some drivers
            // instead stop and rewind to 0 at the end; a position fallen back
            // to 0 while playing is asked about once.
            const bool rewoundAtEnd = p.PlayPosition == 0 && before > 0 && device.GetMode() == "stopped";
            if (p.PlayPosition < p.TrackLength && !rewoundAtEnd) return;
            ++p.PlayIndex;
            if (p.PlayIndex >= count) {
                p.PlayIndex = 0;
                p.PlayerState = loopAll ? 30 : 70;
            } else {
                p.PlayerState = 30;
            }
            continue;
        }
        case 20:
            device.StopDevice();
            device.SeekDevice(p.PlayPosition);
            device.PlayDevice();
            p.PlayerState = 11;
            continue;
        case 30:
            device.StopDevice();
            device.CloseDevice();
            p.TrackLength = 0;
            p.PlayPosition = 0;
            p.DeviceOpen = false;
            p.PlayerState = 10;
            return;  // opened on the next tick
        case 40:
            device.StopDevice();
            device.SeekDevice(0);
            p.PlayPosition = 0;
            p.PlayerState = 0;
            continue;
        case 50:
            device.StopDevice();
            p.PlayerState = 0;
            continue;
        case 60:
            if (!p.DeviceOpen) {
                if (!HasCurrentEntry(ctx) || !OpenCurrent(ctx, device)) {
                    p.PlayPosition = 0;
                    p.PlayerState = 0;
                    return;
                }
            }
            device.SeekDevice(p.PlayPosition);
            p.PlayerState = 0;
            continue;
        case 70:
            device.StopDevice();
            device.CloseDevice();
            p.PlayPosition = 0;
            p.DeviceOpen = false;
            p.PlayerState = 0;
            continue;
        case 80:
            p.OpenFailTime = Now(ctx);
            p.PlayerState = 81;
            continue;
        case 81:
            if (ElapsedMs(Now(ctx), p.OpenFailTime) <= kOpenFailWaitMs) return;
            if (count == 1) {
                p.PlayerState = 0;
                continue;
            }
            ++p.PlayIndex;
            if (p.PlayIndex >= count) {
                p.PlayIndex = 0;
                p.PlayerState = loopAll ? 10 : 0;
            } else {
                p.PlayerState = 10;
            }
            continue;
        default:  // 0 and anything else rest
            return;
        }
    }
}

}  // namespace tw
