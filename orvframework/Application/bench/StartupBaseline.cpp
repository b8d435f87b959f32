// The baseline of the start-up benchmark: a bare SDL2 program that shows a 640 x 480 window and
// paints one cairo image of that size holding one line of text. It writes "painted" to standard
// output once the frame is on the window, then waits for events for the seconds given as its
// argument (0: it ends at once) and writes "idle-end" before it tears down.
#include <SDL.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("baseline", SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, 640, 480, SDL_WINDOW_SHOWN);
    if (window == nullptr)
    {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return 1;
    }
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 480);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgb(cr, 0.12, 0.16, 0.22);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 16);
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    cairo_move_to(cr, 20, 40);
    cairo_show_text(cr, "Firmware Updater");
    cairo_surface_flush(image);

    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr)
    {
        std::fprintf(stderr, "SDL_GetWindowSurface: %s\n", SDL_GetError());
        return 1;
    }
    SDL_LockSurface(surface);
    const unsigned char* source = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < 480 && y < surface->h; ++y)
    {
        std::memcpy(static_cast<unsigned char*>(surface->pixels) + y * surface->pitch,
                    source + y * stride, static_cast<std::size_t>(640 * 4));
    }
    SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
    std::printf("painted\n");
    std::fflush(stdout);

    const Uint32 end = SDL_GetTicks() + static_cast<Uint32>(idleSeconds) * 1000;
    while (static_cast<Sint32>(end - SDL_GetTicks()) > 0)
    {
        SDL_Event event;
        SDL_WaitEventTimeout(&event, static_cast<int>(end - SDL_GetTicks()));
    }
    std::printf("idle-end\n");
    std::fflush(stdout);
    cairo_destroy(cr);
    cairo_surface_destroy(image);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
