#pragma once
// Sound through ALSA's default device. Only the writer thread (and Open, Reset, Close) touches the
// device; other threads see a played count the writer keeps up to date and leave requests in flags.

#include <memory>

#include "platform/audio/AudioSink.h"

namespace xj::audio {

std::unique_ptr<AudioSink> CreateAlsaSink();

}  // namespace xj::audio
