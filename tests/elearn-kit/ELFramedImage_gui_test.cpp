// The framed image on a form: a picture decoded with IncrementalDisplay is
// repainted as its progress says, and the progress reaches OnProgress.
#include "ELFramedImage.h"

#include <gtest/gtest.h>

#include <vector>

#include "Framework.h"
#include "GuiTestSupport.h"
#include "Jpeg.h"

namespace {

class TKitEnvironment : public ::testing::Environment {
public:
  void SetUp() override { InitializeFramework(); }
  void TearDown() override { FinalizeFramework(); }
};

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TKitEnvironment);

class TCountingImage : public TELearnFramedImage {
public:
  using TELearnFramedImage::TELearnFramedImage;
  int Paints = 0;
  std::vector<TProgressStage> Stages;
  void Seen(TObject* Sender, TProgressStage Stage, Byte, bool, const TRect&, const AnsiString&) {
    EXPECT_NE(dynamic_cast<TJPEGImage*>(Sender), nullptr);
    Stages.push_back(Stage);
  }

protected:
  void Paint() override {
    ++Paints;
    TELearnFramedImage::Paint();
  }
};

TEST(ELFramedImageProgress, IncrementalDisplayRepaintsWhileThePictureIsRead) {
  TForm* Form = new TForm(Application);
  Form->SetBounds(40, 40, 200, 150);
  auto* Image = new TCountingImage(Form);
  Image->SetParent(Form);
  Image->SetBounds(10, 10, 100, 100);
  Image->OnProgress = TProgressEvent(Image, &TCountingImage::Seen);
  Form->Show();
  PumpFor(100);
  for (bool Incremental : {false, true}) {
    SCOPED_TRACE(Incremental);
    Image->SetIncrementalDisplay(Incremental);
    Image->Stages.clear();
    // Nothing else may paint between: the pending paints are served first.
    PumpFor(50);
    Image->Paints = 0;
    Image->Picture()->LoadFromFile(FIXTURES_DIR "/graphics/gray.jpg");
    EXPECT_EQ(Image->Stages, (std::vector<TProgressStage>{psStarting, psEnding}));
    // The picture change itself only invalidates; the finished decoding
    // repaints at once when displayed incrementally.
    EXPECT_EQ(Image->Paints, Incremental ? 1 : 0);
  }
  Form->Free();
}

}  // namespace
