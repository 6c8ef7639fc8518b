#include "avdtool/png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "base/diagnostics.h"

namespace avdtool {
namespace {

struct PngState {
  std::vector<uint8_t>* out;
  char message[160];
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "libpng: %s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, size_t length) {
  auto* state = static_cast<PngState*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    state->out->insert(state->out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  if (!stored) png_error(png, "not enough memory for the PNG");
}

void OnFlush(png_structp) {}

// libpng leaves this function by longjmp when it fails, so nothing in its
// frame needs destroying: the row buffer and the output belong to the
// caller.
bool EncodeRows(PngState& state, uint32_t width, uint32_t height, bool alpha, const RowSource& rows,
                uint8_t* row, const base::Translations& texts) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &state, OnWrite, OnFlush);
  // libpng refuses sides beyond a million pixels unless told otherwise (a
  // guard meant for reading other people's files); this writer's pictures
  // may have any side PNG allows.
  png_set_user_limits(png, kMostPngSide, kMostPngSide);
  png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (uint32_t y = 0; y < height; ++y) {
    if (!rows(y, row)) {
      std::snprintf(state.message, sizeof state.message, texts.Tr("row %u could not be made"), y);
      png_destroy_write_struct(&png, &info);
      return false;
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool EncodePng(uint32_t width, uint32_t height, bool alpha, const RowSource& rows, std::vector<uint8_t>& out,
               std::string& error, const base::Translations& texts) {
  out.clear();
  if (width == 0 || height == 0 || width > kMostPngSide || height > kMostPngSide) {
    error = base::Format(texts.Tr("a PNG of %u x %u is not written (at most %u x %u)"), width, height,
                         kMostPngSide, kMostPngSide);
    return false;
  }
  // One row is all the memory the pixels take here: libpng compresses each
  // as it comes.
  const uint64_t rowBytes = uint64_t{width} * (alpha ? 4 : 3);
  std::vector<uint8_t> row;
  try {
    if (rowBytes > std::numeric_limits<size_t>::max() / 2) throw std::bad_alloc();
    row.resize(static_cast<size_t>(rowBytes));
  } catch (const std::bad_alloc&) {
    error = texts.Tr("not enough memory for a row of the PNG");
    return false;
  }
  PngState state{&out, {}};
  std::snprintf(state.message, sizeof state.message, "%s", texts.Tr("libpng failed to start"));
  if (!EncodeRows(state, width, height, alpha, rows, row.data(), texts)) {
    error = state.message;
    out.clear();
    return false;
  }
  return true;
}

bool PictureToPng(const audit::Picture& picture, std::vector<uint8_t>& out, std::string& note,
                  std::string& error, const base::Translations& texts) {
  note.clear();
  if (picture.width == 0 || picture.height == 0) {
    note = texts.Tr("has no pixels; written as a 1 x 1 transparent PNG");
    return EncodePng(
        1, 1, true,
        [](uint32_t, uint8_t* row) {
          std::memset(row, 0, 4);
          return true;
        },
        out, error, texts);
  }
  const size_t channels = picture.hasAlpha ? 4 : 3;
  return EncodePng(
      picture.width, picture.height, picture.hasAlpha,
      [&](uint32_t y, uint8_t* row) {
        uint8_t rgba[4];
        for (uint32_t x = 0; x < picture.width; ++x) {
          picture.Rgba(x, y, rgba);
          std::memcpy(row + size_t{x} * channels, rgba, channels);
        }
        return true;
      },
      out, error, texts);
}

}  // namespace avdtool
