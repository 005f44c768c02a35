// The Academy/ASC XML 3D LUT (.lut), written through the XML layer.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <ProcessList xmlns="urn:NATAS:ASC:LUT:v0.95" id="LUT_untitled_AcademyLUT.lut" name="">
//   	<Description>
//   		LUT Creator:	Quorvane Velmora v3.0.14(309)
//   	</Description>
//   	<InputDescriptor>
//   		Rec709 primaries and gamma. Black at 0, white at 1023.
//   	</InputDescriptor>
//   	<OutputDescriptor>
//   		Rec709 primaries and gamma. Black at 0, white at 4095.
//   	</OutputDescriptor>
//   	<LUT3D id="" name="" interpolation="trilinear" inBitDepth="10i" outBitDepth="12i">
//   		<Description/>
//   		<Array dim="17 17 17 3">
//      0    0    0            N^3 rows, red slowest, blue fastest, not indented:
//      0    0  256            round(v x (2^O - 1)) held to 0..2^O - 1, each "%4ld"
//   ...
//   		</Array>
//   	</LUT3D>
//   </ProcessList>
//
// The id attribute carries the file name, escaped.
#include "app/library/lut3d_internal.h"
#include "support/xml_write.h"

namespace {

// Indented, escaped text inside its element.
QVStatus TextBlock(FILE* stream, const char* element, const char* text) {
  QVStatus status = XMLWriteOpenTag(stream, element, "") < 0 ? LUT3DStreamStatus(stream) : kQVNoErr;
  XMLWriteIndent(stream, 0);
  QVStatus s = XMLWriteEscapedString(stream, text);
  if (status == kQVNoErr) status = s;
  if (XMLWriteCloseTag(stream, element) < 0 && status == kQVNoErr) status = LUT3DStreamStatus(stream);
  return status;
}

QVStatus AcademyText(FILE* stream, const LUT3DContext& c) {
  const long inMax = (1L << c.inputBits) - 1;
  const long outMax = (1L << c.outputBits) - 1;
  // Every part is written; the first failure is kept, and the stream's own
  // state catches what the untold writes below meet.
  QVFirstFailure failure;
  failure.Note(XMLWriteString(stream, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"));
  std::string attributes = "xmlns=\"urn:NATAS:ASC:LUT:v0.95\" id=\"" + XMLEscapedText(c.fileName.c_str()) + "\" name=\"\"";
  XMLWriteOpenTag(stream, "ProcessList", attributes.c_str());
  char text[160];
  std::snprintf(text, sizeof text, "LUT Creator:\tQuorvane Velmora v%s\n", kLUT3DVersionText);
  failure.Note(TextBlock(stream, "Description", text));
  std::snprintf(text, sizeof text, "Rec709 primaries and gamma. Black at 0, white at %ld.\n", inMax);
  failure.Note(TextBlock(stream, "InputDescriptor", text));
  std::snprintf(text, sizeof text, "Rec709 primaries and gamma. Black at 0, white at %ld.\n", outMax);
  failure.Note(TextBlock(stream, "OutputDescriptor", text));
  std::snprintf(text, sizeof text,
                "id=\"\" name=\"\" interpolation=\"trilinear\" inBitDepth=\"%ldi\" outBitDepth=\"%ldi\"",
                long(c.inputBits), long(c.outputBits));
  XMLWriteOpenTag(stream, "LUT3D", text);
  failure.Note(XMLWriteEmptyElement(stream, "Description", ""));
  long n = c.samples.points;
  std::snprintf(text, sizeof text, "dim=\"%ld %ld %ld %d\"", n, n, n, 3);
  XMLWriteOpenTag(stream, "Array", text);
  LUT3DWriteCodeRows(stream, c.samples, double(outMax), "%4ld %4ld %4ld\n");
  XMLWriteCloseTag(stream, "Array");
  XMLWriteCloseTag(stream, "LUT3D");
  XMLWriteCloseTag(stream, "ProcessList");
  return failure.status != kQVNoErr ? failure.status : LUT3DStreamStatus(stream);
}

}  // namespace

QVStatus WriteAcademyLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         int32_t divisions, int32_t inputBits, int32_t outputBits, QVFileRef* result) {
  if (inputBits < 1 || inputBits > 16 || outputBits < 1 || outputBits > 16) return kQVErrParam;
  LUT3DContext c{divisions, inputBits, outputBits, 0, {}, {}, {}, {}};
  return LUT3DWriteFile(settings, folder, name, c, {AcademyText, false, false}, result);
}
