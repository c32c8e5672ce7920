#include "runtime/platform/sdl/sdl_platform.h"

#include "runtime/platform/sdl/sdl_context.h"
#include "runtime/platform/sdl/sdl_facets.h"

namespace rt::platform {

namespace {

// The context first: the facets use it until they are gone.
class SdlMachine : public SdlBackend {
 public:
  explicit SdlMachine(const SdlOptions& options) : sdl_(options) {}
  Backend Facets() override { return Backend{&video_, &input_, &audio_, &clock_, &dialogs_, &process_}; }
  int LoadPadMappings(const std::string& path) override { return sdl_.LoadPadMappings(path); }
  void ToggleFullScreen() override { sdl_.ToggleFullScreen(sdl_.FocusedWindow()); }

 private:
  SdlContext sdl_;
  SdlVideo video_{sdl_};
  SdlInput input_{sdl_};
  SdlAudio audio_{sdl_};
  SdlClock clock_;
  SdlDialogs dialogs_{sdl_};
  SdlProcess process_;
};

}  // namespace

std::unique_ptr<SdlBackend> CreateSdlBackend(const SdlOptions& options) {
  return std::make_unique<SdlMachine>(options);
}

}  // namespace rt::platform
