// The message label's text, in a module of its own (modules.h) that the program opens when a
// label first has a caption to draw: a saver without a message maps neither SDL2_ttf (with
// FreeType and HarfBuzz) nor fontconfig. Only the entry at the end is visible outside it.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>
#include <vector>

#include "platform/common/text_utf8.h"
#include "platform/linux/modules.h"

namespace {

// What fontconfig is asked for a scalable, upright face of the family and weight, with its
// substitutions made (null when fontconfig cannot start). The caller destroys it.
FcPattern* font_pattern(const char* family, bool bold) {
  if (!FcInit()) return nullptr;
  FcPattern* pattern = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, reinterpret_cast<const FcChar8*>(family),
                                      FC_WEIGHT, FcTypeInteger, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR,
                                      FC_SLANT, FcTypeInteger, FC_SLANT_ROMAN, FC_SCALABLE, FcTypeBool, FcTrue,
                                      static_cast<char*>(nullptr));
  if (!pattern) return nullptr;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

// The font file fontconfig gives for a family and weight (Arial is matched by its metric twin
// on a free desktop), with its face index; empty when there is none.
std::string font_file(const char* family, bool bold, int& index) {
  std::string path;
  FcPattern* pattern = font_pattern(family, bold);
  if (!pattern) return path;
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) path = reinterpret_cast<char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

// The label's font: Arial, or what fontconfig offers for it (Liberation Sans on most free
// desktops), at the size the screen's 96 dots per inch make of the points.
TTF_Font* label_font(const plat::LabelStyle& style) {
  static std::map<std::pair<bool, int>, TTF_Font*> fonts;
  auto key = std::make_pair(style.bold, style.points);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second;
  if (!TTF_WasInit() && TTF_Init() != 0) return fonts[key] = nullptr;
  int index = 0;
  const std::string file = font_file(style.font.c_str(), style.bold, index);
  TTF_Font* font = file.empty() ? nullptr : TTF_OpenFontIndexDPI(file.c_str(), style.points, index, 96, 96);
  if (!font)
    std::fprintf(stderr, "zelkin-wumpets: no font for the message (fontconfig offers none for %s%s)\n",
                 style.font.c_str(), style.bold ? " bold" : "");
  return fonts[key] = font;
}

// --- What the label's font lacks ---------------------------------------------------------------
// A tab (xscreensaver folds long messages with tabs) shows as a space, and a character the
// font has no glyph for is drawn from a font fontconfig offers for it: neither becomes a box.

// A font of the label's size and weight that has the character; null when no font has it.
TTF_Font* fallback_font(const plat::LabelStyle& style, std::uint32_t ch) {
  static std::map<std::tuple<std::string, int, int>, TTF_Font*> opened;  // file, face, points
  FcPattern* pattern = font_pattern(style.font.c_str(), style.bold);
  if (!pattern) return nullptr;
  FcResult result = FcResultNoMatch;
  FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FcPatternDestroy(pattern);
  TTF_Font* found = nullptr;
  for (int i = 0; fonts && i < fonts->nfont && !found; ++i) {
    FcCharSet* chars = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch || !FcCharSetHasChar(chars, ch) ||
        FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch || !file)
      continue;
    if (FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    const auto key = std::make_tuple(std::string(reinterpret_cast<const char*>(file)), index, style.points);
    auto it = opened.find(key);
    if (it == opened.end())
      it = opened.emplace(key, TTF_OpenFontIndexDPI(std::get<0>(key).c_str(), style.points, index, 96, 96)).first;
    if (it->second && TTF_GlyphIsProvided32(it->second, ch)) found = it->second;
  }
  if (fonts) FcFontSetDestroy(fonts);
  return found;
}

// The next character of UTF-8 text (valid: to_utf8 made it), and where the one after begins.
std::uint32_t next_char(const std::string& text, std::size_t& i) {
  const std::size_t n = std::max<std::size_t>(text::utf8_length(text, i), 1);
  const auto lead = static_cast<unsigned char>(text[i]);
  std::uint32_t ch = n == 1 ? lead : lead & (0x7Fu >> n);
  for (std::size_t k = 1; k < n; ++k) ch = ch << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
  i += n;
  return ch;
}

// The caption in one line, each character in a font that has it, on the background colour.
SDL_Surface* render_line(TTF_Font* font, const plat::LabelStyle& style, const std::string& text, SDL_Color fore,
                         SDL_Color back) {
  struct Run {
    TTF_Font* font;
    std::string text;
  };
  std::vector<Run> runs;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    std::uint32_t ch = next_char(text, i);
    std::string piece = text.substr(start, i - start);
    if (ch == '\t') {
      ch = ' ';
      piece = " ";
    }
    TTF_Font* f = font;
    if (ch > ' ' && !TTF_GlyphIsProvided32(font, ch))
      if (TTF_Font* other = fallback_font(style, ch)) f = other;
    if (runs.empty() || runs.back().font != f) runs.push_back(Run{f, std::string()});
    runs.back().text += piece;
  }
  if (runs.size() == 1) return TTF_RenderUTF8_Shaded(runs[0].font, runs[0].text.c_str(), fore, back);
  // Fonts differ in their ascent: the runs share one baseline.
  int width = 0, ascent = 0, descent = 0;
  for (const Run& r : runs) {
    int w = 0, h = 0;
    if (TTF_SizeUTF8(r.font, r.text.c_str(), &w, &h) == 0) width += w;
    ascent = std::max(ascent, TTF_FontAscent(r.font));
    descent = std::max(descent, TTF_FontHeight(r.font) - TTF_FontAscent(r.font));
  }
  SDL_Surface* line = SDL_CreateRGBSurfaceWithFormat(0, std::max(width, 1), ascent + descent, 32, SDL_PIXELFORMAT_RGB888);
  if (!line) return nullptr;
  SDL_FillRect(line, nullptr, SDL_MapRGB(line->format, back.r, back.g, back.b));
  int x = 0;
  for (const Run& r : runs) {
    SDL_Surface* part = TTF_RenderUTF8_Shaded(r.font, r.text.c_str(), fore, back);
    if (!part) continue;
    SDL_Rect at{x, ascent - TTF_FontAscent(r.font), part->w, part->h};
    SDL_BlitSurface(part, nullptr, line, &at);
    x += part->w;
    SDL_FreeSurface(part);
  }
  return line;
}

void draw_caption(const plat::LabelStyle& style, const std::string& text, linuxplat::TextPicture& out) {
  out = linuxplat::TextPicture();
  TTF_Font* font = label_font(style);
  if (!font) return;
  auto colour = [](std::uint32_t bgr) {
    return SDL_Color{static_cast<Uint8>(bgr & 0xFF), static_cast<Uint8>((bgr >> 8) & 0xFF),
                     static_cast<Uint8>((bgr >> 16) & 0xFF), 255};
  };
  SDL_Surface* s = text.empty() ? nullptr : render_line(font, style, text, colour(style.colour), colour(style.back));
  if (!s) {
    out.height = TTF_FontHeight(font);
    return;
  }
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGB888, 0);
  SDL_FreeSurface(s);
  if (!rgb) return;
  out.width = rgb->w;
  out.height = rgb->h;
  out.pixels.resize(static_cast<std::size_t>(rgb->w) * static_cast<std::size_t>(rgb->h));
  for (int y = 0; y < rgb->h; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(rgb->pixels) +
                                                             static_cast<std::size_t>(y) * rgb->pitch);
    for (int x = 0; x < rgb->w; ++x)
      out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(rgb->w) + static_cast<std::size_t>(x)] =
          src[x] & 0x00FFFFFFu;
  }
  SDL_FreeSurface(rgb);
}

}  // namespace

// The module's one visible symbol.
extern "C" __attribute__((visibility("default"))) const linuxplat::TextModule* wumpets_text_module() {
  static const linuxplat::TextModule table{linuxplat::module_stamp(), draw_caption};
  return &table;
}
