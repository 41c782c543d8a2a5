// Choosing the audio back-end.

#include "platform/audio/AudioSink.h"

#include <cstdlib>
#include <string_view>

#include "platform/audio/alsa/AlsaSink.h"
#include "platform/audio/null/NullSink.h"

namespace xj::audio {

int BytesPerFrame(const AudioFormat& format) { return format.Channels * (format.Format == SampleFormat::F32 ? 4 : 2); }

std::unique_ptr<AudioSink> OpenAudioSink(const AudioFormat& format, std::string& error) {
  const char* env = std::getenv("XJ_AUDIO");
  const std::string_view choice = env ? env : "";
  const bool automatic = choice.empty();
  if (!automatic && choice != "alsa" && choice != "null") {
    error = "XJ_AUDIO must be \"alsa\" or \"null\", not \"" + std::string(choice) + "\"";
    return nullptr;
  }
  if (automatic || choice == "alsa") {
    auto sink = CreateAlsaSink();
    if (sink->Open(format)) return sink;
    error = sink->ErrorText();
    if (!automatic) return nullptr;
  }
  auto sink = CreateNullSink();
  if (sink->Open(format)) return sink;
  error = sink->ErrorText();
  return nullptr;
}

}  // namespace xj::audio
