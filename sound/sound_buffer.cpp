#include "sound/sound_buffer.h"

#include "shell/runtime_error.h"

namespace scurrow {

void SoundBuffer::Load(AudioDevice& device, const std::string& path) {
  id_ = device.Load(path);
  device_ = &device;
}

void SoundBuffer::PlayOnce() { device_->PlayOnce(Id()); }
void SoundBuffer::PlayLooping() { device_->PlayLooping(Id()); }
void SoundBuffer::Stop() { device_->Stop(Id()); }
void SoundBuffer::Rewind() { device_->Rewind(Id()); }
bool SoundBuffer::IsPlaying() { return device_->IsPlaying(Id()); }

void SoundBuffer::Release() {
  if (!id_) return;
  const BufferId id = *id_;
  id_.reset();
  device_->Release(id);
}

BufferId SoundBuffer::Id() const {
  if (!id_) {
    throw RuntimeError(ErrorNumber::kObjectNotSet,
                       "Object variable not set: sound '" + fileName_ + "' is not loaded");
  }
  return *id_;
}

}  // namespace scurrow
