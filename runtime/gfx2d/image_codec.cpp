// image_codec.cpp - BMP reader and writer, libpng and libjpeg wrappers,
// texture buffer layout and the built-in font image.
#include "runtime/gfx2d/image_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace {

uint32_t rd16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t rd32(const uint8_t* p) { return rd16(p) | rd16(p + 2) << 16; }
void wr16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void wr32(uint8_t* p, uint32_t v) { wr16(p, v); wr16(p + 2, v >> 16); }

bool allocate(DecodedImage& out, int64_t w, int64_t h) {
  if (w <= 0 || h <= 0) return false;
  if (uint64_t(w) * uint64_t(h) > kMaxImageBytes / 4) return false;
  out.width = int(w);
  out.height = int(h);
  out.rgba.assign(size_t(w) * size_t(h) * 4, 0);
  return true;
}

void put(uint8_t* px, uint8_t r, uint8_t g, uint8_t b, int32_t key) {
  if (key != -1 && int32_t(r + g * 256 + b * 65536) == key) {
    px[0] = px[1] = px[2] = px[3] = 0;
    return;
  }
  px[0] = r;
  px[1] = g;
  px[2] = b;
  px[3] = 255;
}

}  // namespace

int power_of_two_at_least(int n, int minimum) {
  int p = 1;
  while (p < minimum) p <<= 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

// ---- BMP --------------------------------------------------------------------

bool decode_bmp(const uint8_t* b, size_t size, int32_t key, DecodedImage& out) {
  out = DecodedImage{};
  if (size < 14 + 40 || b[0] != 'B' || b[1] != 'M') return false;
  uint32_t pixel_offset = rd32(b + 10);
  uint32_t info_size = rd32(b + 14);
  if (info_size < 40 || info_size > size - 14) return false;
  int32_t width = int32_t(rd32(b + 18));
  int32_t height = int32_t(rd32(b + 22));
  uint32_t bits = rd16(b + 28);
  uint32_t compression = rd32(b + 30);
  uint32_t colours_used = rd32(b + 46);
  if (compression != 0 && !(compression == 3 && bits == 32)) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  bool top_down = height < 0;
  int64_t h = top_down ? -int64_t(height) : int64_t(height);

  // palette
  uint8_t palette[256][4] = {};
  uint32_t palette_count = 0;
  if (bits <= 8) {
    uint32_t max_entries = 1u << bits;
    palette_count = colours_used == 0 ? max_entries : colours_used;
    if (palette_count > max_entries) palette_count = max_entries;
    uint64_t pal_start = 14 + uint64_t(info_size);
    uint64_t available = size > pal_start ? (size - pal_start) / 4 : 0;
    if (available < palette_count) palette_count = uint32_t(available);
    for (uint32_t i = 0; i < palette_count; ++i) std::memcpy(palette[i], b + pal_start + 4 * i, 4);
  }

  uint64_t row_bytes = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (pixel_offset > size || row_bytes * uint64_t(h) > size - pixel_offset) return false;
  if (!allocate(out, width, h)) return false;

  for (int64_t r = 0; r < h; ++r) {
    const uint8_t* row = b + pixel_offset + row_bytes * uint64_t(r);
    int64_t y = top_down ? r : h - 1 - r;
    uint8_t* dst = out.rgba.data() + size_t(y) * size_t(width) * 4;
    for (int32_t x = 0; x < width; ++x, dst += 4) {
      switch (bits) {
        case 1: case 4: case 8: {
          uint32_t index;
          if (bits == 8) index = row[x];
          else if (bits == 4) index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
          else index = (row[x >> 3] >> (7 - (x & 7))) & 1;
          if (index >= palette_count) {
            out = DecodedImage{};
            return false;
          }
          put(dst, palette[index][2], palette[index][1], palette[index][0], key);
          break;
        }
        case 16: {
          uint32_t v = rd16(row + 2 * x);
          put(dst, uint8_t(((v >> 10) & 31) * 255 / 31), uint8_t(((v >> 5) & 31) * 255 / 31),
              uint8_t((v & 31) * 255 / 31), key);
          break;
        }
        case 24: put(dst, row[3 * x + 2], row[3 * x + 1], row[3 * x], key); break;
        case 32: put(dst, row[4 * x + 2], row[4 * x + 1], row[4 * x], key); break;
      }
    }
  }
  return true;
}

std::vector<uint8_t> encode_bmp24(int width, int height, const uint8_t* bgr) {
  size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
  size_t total = 54 + row * size_t(height);
  std::vector<uint8_t> f(total, 0);
  f[0] = 'B';
  f[1] = 'M';
  wr32(&f[2], uint32_t(total));
  wr32(&f[10], 54);
  wr32(&f[14], 40);
  wr32(&f[18], uint32_t(width));
  wr32(&f[22], uint32_t(height));
  wr16(&f[26], 1);
  wr16(&f[28], 24);
  wr32(&f[38], 10000);
  wr32(&f[42], 10000);
  for (int y = 0; y < height; ++y)
    std::memcpy(&f[54 + row * size_t(y)], bgr + size_t(y) * size_t(width) * 3, size_t(width) * 3);
  return f;
}

// ---- PNG --------------------------------------------------------------------

namespace {

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void png_read_mem(png_structp png, png_bytep dst, png_size_t n) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (n > src->size - src->pos) png_error(png, "truncated");
  std::memcpy(dst, src->data + src->pos, n);
  src->pos += n;
}

void png_quiet(png_structp, png_const_charp) {}
void png_fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void png_write_mem(png_structp png, png_bytep src, png_size_t n) {
  auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  v->insert(v->end(), src, src + n);
}
void png_flush_none(png_structp) {}

}  // namespace

bool decode_png(const uint8_t* bytes, size_t size, int32_t key, DecodedImage& out, const char* name) {
  out = DecodedImage{};
  if (size < 8 || png_sig_cmp(bytes, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, png_quiet);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  PngSource src{bytes, size, 0};
  std::vector<png_bytep> rows;
  std::vector<uint8_t> raw;
  DecodedImage img;
  // everything with a destructor lives outside the setjmp scope
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &src, png_read_mem);
  png_set_user_limits(png, 1u << 20, 1u << 20);
  png_read_info(png, info);
  png_set_palette_to_rgb(png);
  png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  png_set_strip_16(png);
  png_read_update_info(png, info);
  png_uint_32 w = png_get_image_width(png, info);
  png_uint_32 h = png_get_image_height(png, info);
  int channels = png_get_channels(png, info);
  int depth = png_get_bit_depth(png, info);
  if (channels != 1 && channels != 3 && channels != 4) {
    std::printf("File %s has unsupported color type.\n", name);
    std::printf("Types GRAY, RGB and RGB_ALPHA are supported.");
    std::fflush(stdout);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (depth != 8) {
    std::printf("File %s has bit depth %d.\n", name, depth);
    std::printf("Only bit depth of 8 is supported.");
    std::fflush(stdout);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (!allocate(img, w, h) || uint64_t(w) * h * channels > kMaxImageBytes) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  raw.resize(size_t(w) * h * size_t(channels));
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = raw.data() + size_t(y) * w * size_t(channels);
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);

  for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
    const uint8_t* s = raw.data() + i * size_t(channels);
    uint8_t* d = img.rgba.data() + i * 4;
    if (channels == 1) {
      d[0] = d[1] = d[2] = s[0];
      d[3] = 255;
    } else if (channels == 3) {
      put(d, s[0], s[1], s[2], key);
    } else {
      std::memcpy(d, s, 4);
    }
  }
  out = std::move(img);
  return true;
}

bool encode_png(int width, int height, const uint8_t* bgr, std::vector<uint8_t>& out) {
  out.clear();
  if (width <= 0 || height <= 0) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, png_quiet);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> row(size_t(width) * 4);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    out.clear();
    return false;
  }
  png_set_write_fn(png, &out, png_write_mem, png_flush_none);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = height - 1; y >= 0; --y) {  // PNG is top row first
    const uint8_t* s = bgr + size_t(y) * size_t(width) * 3;
    for (int x = 0; x < width; ++x) {
      row[4 * x] = s[3 * x + 2];
      row[4 * x + 1] = s[3 * x + 1];
      row[4 * x + 2] = s[3 * x];
      row[4 * x + 3] = 255;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// ---- JPEG -------------------------------------------------------------------

namespace {

struct JpegError {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void jpeg_fail(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}
void jpeg_quiet(j_common_ptr, int) {}

}  // namespace

bool decode_jpeg(const uint8_t* bytes, size_t size, DecodedImage& out) {
  out = DecodedImage{};
  if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = jpeg_fail;
  err.base.emit_message = jpeg_quiet;
  DecodedImage img;
  std::vector<uint8_t> line;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(bytes), static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.num_components == 1) {
    cinfo.out_color_space = JCS_GRAYSCALE;
  } else if (cinfo.num_components == 3) {
    cinfo.out_color_space = JCS_RGB;
  } else {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (!allocate(img, cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  int comps = cinfo.output_components;
  line.resize(size_t(cinfo.output_width) * size_t(comps));
  while (cinfo.output_scanline < cinfo.output_height) {
    size_t y = cinfo.output_scanline;
    JSAMPROW rowp = line.data();
    if (jpeg_read_scanlines(&cinfo, &rowp, 1) != 1) break;
    uint8_t* d = img.rgba.data() + y * size_t(img.width) * 4;
    for (int x = 0; x < img.width; ++x, d += 4) {
      if (comps == 1) {
        d[0] = d[1] = d[2] = line[size_t(x)];
      } else {
        std::memcpy(d, &line[size_t(x) * 3], 3);
      }
      d[3] = 255;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out = std::move(img);
  return true;
}

bool encode_jpeg(int width, int height, const uint8_t* bgr, std::vector<uint8_t>& out, int quality) {
  out.clear();
  if (width <= 0 || height <= 0) return false;
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = jpeg_fail;
  unsigned char* mem = nullptr;
  unsigned long mem_size = 0;
  std::vector<uint8_t> line(size_t(width) * 3);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &mem, &mem_size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* s = bgr + size_t(height - 1 - int(cinfo.next_scanline)) * size_t(width) * 3;
    for (int x = 0; x < width; ++x) {
      line[3 * x] = s[3 * x + 2];
      line[3 * x + 1] = s[3 * x + 1];
      line[3 * x + 2] = s[3 * x];
    }
    JSAMPROW rowp = line.data();
    jpeg_write_scanlines(&cinfo, &rowp, 1);
  }
  jpeg_finish_compress(&cinfo);
  out.assign(mem, mem + mem_size);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return true;
}

bool decode_image(const uint8_t* bytes, size_t size, int32_t key, DecodedImage& out, const char* name) {
  return decode_bmp(bytes, size, key, out) || decode_png(bytes, size, key, out, name) ||
         decode_jpeg(bytes, size, out);
}

// ---- texture layout ---------------------------------------------------------

void fill_transparent_pixels(uint8_t* rgba, int tw, int th) {
  // reads neighbours from a copy so filled pixels do not feed each other
  std::vector<uint8_t> src(rgba, rgba + size_t(tw) * size_t(th) * 4);
  for (int y = 0; y < th; ++y) {
    for (int x = 0; x < tw; ++x) {
      uint8_t* p = rgba + (size_t(y) * size_t(tw) + size_t(x)) * 4;
      if (p[3] != 0) continue;
      unsigned r = 0, g = 0, b = 0, n = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (dx == 0 && dy == 0) continue;
          int nx = x + dx, ny = y + dy;
          // neighbours on the texture's outermost rows and columns do not count
          if (nx <= 0 || ny <= 0 || nx >= tw - 1 || ny >= th - 1) continue;
          const uint8_t* q = src.data() + (size_t(ny) * size_t(tw) + size_t(nx)) * 4;
          if (q[3] == 0) continue;
          r += q[0];
          g += q[1];
          b += q[2];
          ++n;
        }
      }
      if (n) {
        p[0] = uint8_t(r / n);
        p[1] = uint8_t(g / n);
        p[2] = uint8_t(b / n);
      } else {
        p[0] = p[1] = p[2] = 0;
      }
    }
  }
}

bool build_texture_image(const DecodedImage& image, int x, int y, int w, int h, int max_size,
                         bool nearest, TextureImage& out, int minimum) {
  out = TextureImage{};
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
  if (w == 0) w = image.width - x;
  if (h == 0) h = image.height - y;
  if (w < 1 || h < 1) return false;
  if (w > image.width - x) w = image.width - x;
  if (h > image.height - y) h = image.height - y;
  if (max_size > 0) {
    if (w > max_size) w = max_size;
    if (h > max_size) h = max_size;
  }
  out.texture_width = power_of_two_at_least(w, minimum);
  out.texture_height = power_of_two_at_least(h, minimum);
  out.width = w;
  out.height = h;
  out.rgba.assign(size_t(out.texture_width) * size_t(out.texture_height) * 4, 0);
  for (int r = 0; r < h; ++r) {
    const uint8_t* s = image.rgba.data() + (size_t(y + r) * size_t(image.width) + size_t(x)) * 4;
    uint8_t* d = out.rgba.data() + size_t(h - 1 - r) * size_t(out.texture_width) * 4;
    std::memcpy(d, s, size_t(w) * 4);
  }
  if (!nearest) fill_transparent_pixels(out.rgba.data(), out.texture_width, out.texture_height);
  return true;
}

// ---- built-in font ----------------------------------------------------------

namespace {
const uint32_t kGlyphs[96] = {
    0x00000000, 0x08021080, 0x00002940, 0x15F57D40, 0x08E619C4, 0x14222140, 0x0ED114E0, 0x00001080,
    0x08210880, 0x04421040, 0x09575480, 0x08471080, 0x04400000, 0x00070000, 0x08000000, 0x04222100,
    0x00E5294E, 0x004210C4, 0x00E1390E, 0x00E4390E, 0x0084394A, 0x00E4384E, 0x00E5384E, 0x0042210E,
    0x00E5394E, 0x00E4394E, 0x00020080, 0x00220080, 0x00820888, 0x000701C0, 0x00222082, 0x0040310E,
    0x00E0B526, 0x00A5394E, 0x00E5194E, 0x00E5094E, 0x00E52946, 0x00E1384E, 0x0021384E, 0x00E5284E,
    0x00A5394A, 0x00E2108E, 0x00E5210C, 0x00A5194A, 0x00E10842, 0x015AD6BF, 0x00A5294E, 0x00E5294E,
    0x0021394E, 0x00F294A7, 0x00A5194E, 0x00E4384E, 0x0042108E, 0x00E5294A, 0x0045294A, 0x01FAD6B5,
    0x00A5114A, 0x0042394A, 0x00E1110E, 0x00610846, 0x01041041, 0x00621086, 0x00000144, 0x00E00000,
    0x00000082, 0x00E53000, 0x00E53842, 0x00E13800, 0x00E53908, 0x08273800, 0x00423888, 0x08873800,
    0x00A51842, 0x00421004, 0x04421004, 0x00A32842, 0x00421084, 0x015ABC00, 0x00A51800, 0x00E53800,
    0x04E51800, 0x10E53000, 0x00253800, 0x00E409C0, 0x00C23884, 0x00C52800, 0x00452800, 0x00EAD400,
    0x00A22800, 0x1C872800, 0x00E121C0, 0x00821888, 0x00421084, 0x00223082, 0x0002A800, 0x3F18C63F,
};
}  // namespace

DecodedImage make_default_font_image() {
  DecodedImage img;
  allocate(img, 128, 64);
  auto px = [&](int x, int y) { return img.rgba.data() + (size_t(y) * 128 + size_t(x)) * 4; };
  for (int c = 32; c < 128; ++c) {
    int x0 = 8 * ((c - 32) % 16), y0 = 8 * (2 + (c - 32) / 16);
    uint32_t word = kGlyphs[c - 32];
    bool on[8][7] = {};  // [row][column] within the 7 x 8 area
    for (int r = 0; r < 6; ++r)
      for (int k = 0; k < 5; ++k)
        if (word >> (r * 5 + k) & 1) on[1 + r][1 + k] = true;
    for (int r = 0; r < 8; ++r) {
      for (int k = 0; k < 7; ++k) {
        uint8_t* p = px(x0 + k, y0 + r);
        if (on[r][k]) {
          p[0] = p[1] = p[2] = p[3] = 255;
        } else if ((k > 0 && on[r][k - 1]) || (k < 6 && on[r][k + 1]) || (r > 0 && on[r - 1][k]) ||
                   (r < 7 && on[r + 1][k])) {
          p[0] = p[1] = p[2] = 8;
          p[3] = 255;
        }
      }
    }
  }
  return img;
}
