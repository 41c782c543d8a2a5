#pragma once
// The silent output: no device, but time runs. Frames count as heard at the sample rate of the
// platform's clock (the manual one in tests), whether or not the writer has kept up, so a test that
// moves the clock 1000 ms on sees exactly 1000 ms more played. The writer may run at most a fifth of
// a second ahead of the clock.

#include <memory>

#include "platform/audio/AudioSink.h"

namespace xj::audio {

std::unique_ptr<AudioSink> CreateNullSink();

}  // namespace xj::audio
