// PNG decoding, the embedded resource table and the decode-once rule.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "controls/image.h"
#include "controls/picture.h"
#include "controls/recording_canvas.h"
#include "controls/resources.h"
#include "controls/standard_controls.h"
#include "controls/test_pictures.h"

namespace kestrune {
namespace {

TEST(Png, RoundTripKeepsPremultipliedPixels) {
  Image img(3, 1);
  img.SetPixel(0, 0, 0xFFFF0000);
  img.SetPixel(1, 0, 0x80400000);  // half-transparent, premultiplied red
  img.SetPixel(2, 0, 0x00000000);
  auto decoded = DecodePngOrThrow(EncodePng(img));
  EXPECT_EQ(decoded->Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(decoded->Pixel(1, 0) >> 24, 0x80u);
  EXPECT_NEAR(static_cast<int>((decoded->Pixel(1, 0) >> 16) & 0xFF), 0x40, 1);
  EXPECT_EQ(decoded->Pixel(2, 0), 0u);
}

TEST(Png, HostileDataFailsCleanly) {
  std::vector<uint8_t> good = EncodePng(testing::StripImage(64, 16, 4));
  ASSERT_FALSE(good.empty());

  std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  std::vector<uint8_t> badCrc = good;
  badCrc[29] ^= 0xFF;  // inside IHDR's CRC
  std::vector<uint8_t> huge = good;
  // IHDR width at offset 16: claim 1,000,000 pixels (and fix nothing else).
  huge[16] = 0x00, huge[17] = 0x0F, huge[18] = 0x42, huge[19] = 0x40;
  std::vector<uint8_t> notPng = {'G', 'I', 'F', '8', '9', 'a'};
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
  } cases[] = {{"empty", {}},
               {"truncated", truncated},
               {"bad crc", badCrc},
               {"huge", huge},
               {"not png", notPng}};
  for (const auto& c : cases) {
    PngDecodeResult r = DecodePng(c.data);
    EXPECT_EQ(r.image, nullptr) << c.name;
    EXPECT_FALSE(r.error.empty()) << c.name;
  }
}

// A well-formed file whose header claims other dimensions (CRC recomputed).
std::vector<uint8_t> WithClaimedSize(uint32_t width, uint32_t height) {
  std::vector<uint8_t> data = EncodePng(testing::StripImage(4, 4, 1));
  for (auto [at, v] : {std::pair{16, width}, std::pair{20, height}}) {
    for (int i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  }
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 12; i < 29; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc ^= 0xFFFFFFFFu;
  for (int i = 0; i < 4; ++i) data[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return data;
}

TEST(Png, ClaimedSizesAreCheckedBeforeThePixelsAreAllocated) {
  struct Case {
    uint32_t w, h;
    const char* error;
  } cases[] = {
      {16385, 16385, "out of range"},  // beyond any skin
      {4000, 4000, "too short"},       // allowed size, but a 100-byte file cannot hold it
  };
  for (const auto& c : cases) {
    PngDecodeResult r = DecodePng(WithClaimedSize(c.w, c.h));
    EXPECT_EQ(r.image, nullptr);
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
  }
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A chunk whose length field claims more than the rest of the file would make
// libpng allocate that much before finding the data missing.
TEST(Png, NoChunkMayClaimMoreBytesThanRemain) {
  std::vector<uint8_t> good = EncodePng(testing::StripImage(8, 8, 2));
  ASSERT_GE(good.size(), 12u + 33u);
  // A text chunk before IEND (the last 12 bytes) claiming 2 GiB - 1.
  std::vector<uint8_t> lateText(good.begin(), good.end() - 12);
  const uint8_t text[] = {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 'k', 0, 'v'};
  lateText.insert(lateText.end(), std::begin(text), std::end(text));
  lateText.insert(lateText.end(), good.end() - 12, good.end());
  // IHDR itself claiming one byte more than the file holds.
  std::vector<uint8_t> header = good;
  const uint32_t over = static_cast<uint32_t>(good.size() - 8 - 8 - 4 + 1);
  for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<uint8_t>(over >> (24 - 8 * i));
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    const char* error;
  } cases[] = {
      // Found by fuzz_png: 251 bytes, a tEXt chunk claiming 0x6f6f6f6f bytes.
      {"fuzz seed",
       ReadBytes(KESTRUNE_FIXTURES "/../../fuzz/corpus/png/seed_text_chunk_claims_1_8_gb.png"),
       "PNG chunk tEXt at offset 141 claims 1869573999 bytes"},
      {"late text", lateText, "PNG chunk tEXt"},
      {"header", header, "PNG chunk IHDR at offset 8 claims"},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.data.empty()) << c.name;
    PngDecodeResult r = DecodePng(c.data);
    EXPECT_EQ(r.image, nullptr) << c.name;
    EXPECT_NE(r.error.find(c.error), std::string::npos) << c.name << ": " << r.error;
  }
  EXPECT_NE(DecodePng(good).image, nullptr);
}

// A borrowed image writes through to the owner's memory; a copy of it is
// independent, and a move hands the same memory on.
TEST(Image, BorrowedPixelsAreSharedCopiesAreNot) {
  std::vector<uint32_t> memory(6, 0u);
  Image view = Image::Borrow(memory.data(), 3, 2);
  view.SetPixel(2, 1, 0xFF112233u);
  EXPECT_EQ(memory[5], 0xFF112233u);
  Image copy = view;
  copy.SetPixel(0, 0, 0xFFFFFFFFu);
  EXPECT_EQ(memory[0], 0u);
  EXPECT_EQ(copy.Pixel(2, 1), 0xFF112233u);
  Image moved = std::move(view);
  EXPECT_EQ(moved.Data(), memory.data());
  EXPECT_TRUE(view.Empty());  // NOLINT(bugprone-use-after-move): the source is left empty
  Image owned(2, 2);
  const uint32_t* ownedData = owned.Data();
  Image taken = std::move(owned);
  EXPECT_EQ(taken.Data(), ownedData);
  copy = taken;
  EXPECT_NE(copy.Data(), taken.Data());
  EXPECT_EQ(copy.Width(), 2);
  EXPECT_TRUE(Image::Borrow(nullptr, 3, 2).Empty());
}

// Shrinking averages what each target pixel covers (premultiplied, so a
// transparent half does not darken the colour), and never enlarges.
TEST(Png, ScaleDownAveragesThePixelsEachTargetPixelCovers) {
  Image image(4, 2);
  for (int y = 0; y < 2; ++y) {
    image.SetPixel(0, y, 0xFFFF0000);
    image.SetPixel(1, y, 0xFFFF0000);
    image.SetPixel(2, y, 0xFF0000FF);
    image.SetPixel(3, y, 0x00000000);
  }
  Image half = ScaleDown(image, 2, 1);
  ASSERT_EQ(half.Width(), 2);
  ASSERT_EQ(half.Height(), 1);
  EXPECT_EQ(half.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(half.Pixel(1, 0), 0x80000080u);  // half covered, still pure blue
  EXPECT_EQ(half.ColorAt(1, 0).b, 255);

  Image same = ScaleDown(image, 8, 8);
  EXPECT_EQ(same.Width(), 4);
  EXPECT_EQ(same.Height(), 2);
  EXPECT_EQ(same.Pixel(2, 1), 0xFF0000FFu);
  EXPECT_EQ(ScaleDown(image, 0, -3).Width(), 1);
  EXPECT_TRUE(ScaleDown(Image(), 16, 16).Empty());
}

// Enlarging keeps flat areas exact and blends across an edge.
TEST(Png, ResampleEnlargesByInterpolation) {
  Image image(2, 1);
  image.SetPixel(0, 0, 0xFF000000);
  image.SetPixel(1, 0, 0xFFFFFFFF);
  Image wide = Resample(image, 4, 2);
  ASSERT_EQ(wide.Width(), 4);
  ASSERT_EQ(wide.Height(), 2);
  EXPECT_EQ(wide.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(wide.Pixel(3, 1), 0xFFFFFFFFu);
  const uint8_t mid = wide.ColorAt(1, 0).r;
  EXPECT_GT(mid, 0);
  EXPECT_LT(mid, 128);
  EXPECT_EQ(wide.Pixel(1, 0), wide.Pixel(1, 1));
  EXPECT_EQ(Resample(image, 1, 1).Pixel(0, 0), 0xFF808080u);
  EXPECT_TRUE(Resample(image, 0, 3).Empty());
}

TEST(Resources, EverySkinNameDecodesAtItsSize) {
  struct Case {
    const char* name;
    int w, h;
  } cases[] = {
      {"SysClose", 108, 22},
      {"SysMin", 108, 22},
      {"SysOption", 108, 22},
      {"DialogButton", 300, 26},
      {"ApplyButton", 720, 50},
      {"DialogBackdrop", 370, 60},
      {"MainTabBackdrop", 880, 120},
      {"TabItem", 216, 80},
      {"ComboFace", 492, 26},
      {"ComboPreset", 954, 32},
      {"ComboHistory", 702, 26},
      {"CheckBox", 128, 16},
      {"ICON_MessageBox_ERROR", 40, 40},
      {"ICON_MessageBox_INFO", 40, 40},
      {"ICON_MessageBox_Question", 40, 40},
      {"ShadowImage", 48, 48},
      {"CompanionBackdrop", 540, 328},
      {"CompanionUseKestrune", 688, 46},
      {"CompanionUseOrvane", 688, 46},
      {"CompanionSocial", 358, 28},
      {"WarningCloseGameButton", 408, 32},
      {"WarningOKButton", 328, 32},
      {"WarningImage", 48, 48},
      {"RestoreButton", 320, 26},
      {"StartGameButton", 376, 44},
      {"AboutProductLogo", 52, 52},
      {"AboutMakerLogo", 52, 52},
      {"AboutDivider", 1, 160},
  };
  for (const auto& c : cases) {
    auto img = LoadPngResourceImage(c.name);
    EXPECT_EQ(img->Width(), c.w) << c.name;
    EXPECT_EQ(img->Height(), c.h) << c.name;
  }
}

TEST(Resources, LoadPngResourceFailsOnMissingNameAndKeepsPicture) {
  TPicture picture;
  LoadPngResource(picture, "ICON_MessageBox_INFO");
  ASSERT_TRUE(picture.IsPng());
  const void* before = picture.Id();
  EXPECT_THROW(LoadPngResource(picture, "ICON_MessageBox_WARNING"), PngError);
  EXPECT_EQ(picture.Id(), before);
  EXPECT_FALSE(FindRawResource("ICON_MessageBox_WARNING").has_value());
}

TEST(CachedImage, DecodedOncePerAssignmentNotPerPaint) {
  TCZStandardButton button;
  button.SetNImage(4);
  button.SetImageModel(TImageModel::HorizontalModel);
  button.SetPicture(testing::StripPicture(300, 26, 4));
  const uint64_t before = CachedImageBuildCount();
  for (int i = 0; i < 5; ++i) {
    RecordingCanvas canvas;
    button.Paint(canvas);
  }
  EXPECT_EQ(CachedImageBuildCount(), before);
  button.SetPicture(testing::StripPicture(400, 26, 4));
  EXPECT_EQ(CachedImageBuildCount(), before + 1);
}

// A skin loaded from the resources is decoded once to check it, and its
// control takes that image instead of decoding the bytes again.
TEST(CachedImage, LoadedSkinIsNotDecodedAgainByItsControl) {
  const uint64_t before = CachedImageBuildCount();
  TPicture picture;
  LoadPngResource(picture, "SysClose");
  TCZStandardButton button;
  button.SetPicture(picture);
  EXPECT_EQ(CachedImageBuildCount(), before + 1);
  ASSERT_NE(button.CachedImage(), nullptr);
  EXPECT_EQ(button.CachedImage(), picture.Decoded().get());
}

// Controls that carry the same skin (every page combo box, every check box)
// share one decoded image; different bytes never do, and an image nobody holds
// any more is decoded afresh.
TEST(CachedImage, SameSkinIsDecodedOnceForAllItsControls) {
  const uint64_t before = CachedImageBuildCount();
  std::vector<std::unique_ptr<TCZStandardButton>> buttons;
  for (int i = 0; i < 4; ++i) {
    buttons.push_back(std::make_unique<TCZStandardButton>());
    buttons.back()->SetPicture(testing::StripPicture(304, 26, 4));
  }
  EXPECT_EQ(CachedImageBuildCount(), before + 1);
  for (const auto& b : buttons) EXPECT_EQ(b->CachedImage(), buttons[0]->CachedImage());

  TCZStandardButton other;
  other.SetPicture(testing::StripPicture(304, 28, 4));
  EXPECT_EQ(CachedImageBuildCount(), before + 2);
  EXPECT_NE(other.CachedImage(), buttons[0]->CachedImage());
  ASSERT_NE(other.CachedImage(), nullptr);
  EXPECT_EQ(other.CachedImage()->Height(), 28);

  buttons.clear();
  TCZStandardButton again;
  again.SetPicture(testing::StripPicture(304, 26, 4));
  EXPECT_EQ(CachedImageBuildCount(), before + 3);
  ASSERT_NE(again.CachedImage(), nullptr);
  EXPECT_EQ(again.CachedImage()->Width(), 304);
}

TEST(CachedImage, UndecodablePngIsNotRetriedAtEveryPaint) {
  std::vector<uint8_t> bad = EncodePng(testing::StripImage(8, 8, 1));
  bad.resize(bad.size() / 2);
  TCZStandImage image;
  image.SetPicture(TPicture::FromBytes(bad));
  EXPECT_EQ(image.CachedImage(), nullptr);
  const uint64_t before = CachedImageBuildCount();
  for (int i = 0; i < 3; ++i) {
    RecordingCanvas canvas;
    image.Paint(canvas);
    EXPECT_TRUE(canvas.Calls().empty());
  }
  EXPECT_EQ(CachedImageBuildCount(), before);
}

}  // namespace
}  // namespace kestrune
