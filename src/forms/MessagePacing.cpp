#include "forms/MessagePacing.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/ScreenUpdates.h"

void TMessagePacing::Restart() {
    restarted_ = true;
}

void TMessagePacing::ProcessMessages() {
    if (!clock_.isValid()) clock_.start();
    const qint64 now = clock_.elapsed();
    const bool due = screen_updates::FlushDue();
    if (!due && !restarted_ && now - lastPass_ < screen_updates::kFrameMs) return;
    restarted_ = false;
    lastPass_ = now;
    Application->ProcessMessages();
}
