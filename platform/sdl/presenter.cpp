#include "platform/sdl/presenter.h"

#include <SDL.h>

#include <algorithm>
#include <string_view>

namespace velmora::platform {

namespace {

constexpr int kWidth = DisplayDevice::kScreenWidth;
constexpr int kHeight = DisplayDevice::kScreenHeight;
constexpr int kFallbackRefreshHz = 60;

std::string Failure(const char* what) {
    return std::string(what) + ": " + SDL_GetError();
}

// Whether the renderer is OpenGL drawn by the CPU (Mesa's llvmpipe or
// softpipe, as under Xvfb or in a virtual machine without a GPU). There,
// with its worker threads, it costs several times what SDL's own software
// renderer does for this picture, at every flicker step.
bool OpenGlOnTheCpu(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 ||
        std::string_view(info.name).find("opengl") == std::string_view::npos) {
        return false;
    }
    // The renderer's context is current: ask it what draws.
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int kGlRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
    if (name == nullptr) {
        return false;
    }
    const std::string_view drawer(reinterpret_cast<const char*>(name));
    for (const std::string_view cpu : {"llvmpipe", "softpipe", "Software Rasterizer"}) {
        if (drawer.find(cpu) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

Presenter::~Presenter() {
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
    }
    if (renderer_ != nullptr) {
        SDL_DestroyRenderer(renderer_);
    }
}

std::string Presenter::Open(SDL_Window* window, bool wholeScale) {
    window_ = window;
    // No vsync: presenting must never hold up the message loop; the pacer
    // keeps the rate down instead.
    renderer_ = SDL_CreateRenderer(window, -1, 0);
    if (renderer_ != nullptr && OpenGlOnTheCpu(renderer_)) {
        SDL_DestroyRenderer(renderer_);
        // Straight to the window's own surface, not through OpenGL either.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (renderer_ == nullptr) {
        return Failure("cannot create a renderer");
    }
    if (SDL_RenderSetLogicalSize(renderer_, kWidth, kHeight) != 0) {
        return Failure("cannot scale the picture to the window");
    }
    if (wholeScale && SDL_RenderSetIntegerScale(renderer_, SDL_TRUE) != 0) {
        return Failure("cannot keep the picture's scale whole");
    }
    // Whole screen pixels per picture pixel where the scale allows: the dots
    // must stay sharp for the eyes to fuse them.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 kWidth, kHeight);
    if (texture_ == nullptr) {
        return Failure("cannot create the screen texture");
    }
    return {};
}

void Presenter::ShowView(const std::uint32_t* view) {
    view_ = view;
    ++viewGeneration_;
}

void Presenter::ViewChanged() {
    if (view_ != nullptr) {
        ++viewGeneration_;
    }
}

bool Presenter::Present() {
    if (renderer_ == nullptr) {
        return false;
    }
    const MemorySurface* primary = device_.Primary();
    if (view_ == nullptr && primary != nullptr && primary->Locked()) {
        return false;
    }
    const std::uint64_t generation = Generation();
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) == 0) {
        auto* target = static_cast<std::uint32_t*>(pixels);
        const auto row = [pixels, pitch](int y) {
            return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) +
                                                    static_cast<std::ptrdiff_t>(y) * pitch);
        };
        if (view_ != nullptr) {
            for (int y = 0; y < kHeight; ++y) {
                std::copy_n(view_ + static_cast<std::ptrdiff_t>(y) * kWidth, kWidth, row(y));
            }
        } else if (primary != nullptr && primary->Pixels() != nullptr &&
                   primary->Width() == kWidth && primary->Height() == kHeight) {
            BuildLookup(device_.ScreenPalette(), lookup_);
            ColourFrame(primary->Pixels(), primary->Pitch(), lookup_, target, pitch);
        } else {
            // No screen yet (or any more): show black.
            for (int y = 0; y < kHeight; ++y) {
                std::fill_n(row(y), kWidth, 0xFF000000U);
            }
        }
        SDL_UnlockTexture(texture_);
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    shownGeneration_ = generation;
    ++presentations_;
    return true;
}

PresentPacer::Clock::duration Presenter::RefreshInterval() const {
    int hz = kFallbackRefreshHz;
    SDL_DisplayMode mode;
    if (window_ != nullptr && SDL_GetWindowDisplayMode(window_, &mode) == 0 &&
        mode.refresh_rate > 0) {
        hz = mode.refresh_rate;
    }
    return std::chrono::duration_cast<PresentPacer::Clock::duration>(std::chrono::seconds(1)) / hz;
}

}  // namespace velmora::platform
