#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_contents.h"
#include "support/output_file.h"
#include "support/xml_read.h"
#include "support/xml_write.h"
#include "tests/scratch_folder.h"

namespace {

// Collects what the writers put on a stream.
struct Capture {
  char* bytes = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&bytes, &size);
  ~Capture() {
    if (stream) std::fclose(stream);
    std::free(bytes);
  }
  std::string Text() {
    std::fflush(stream);
    return std::string(bytes, size);
  }
};

struct XMLLayer : testing::Test {
  void SetUp() override { XMLSetIndentLevel(0); }
  void TearDown() override { XMLSetIndentLevel(0); }
};

}  // namespace

TEST_F(XMLLayer, TagsIndentByTheProcessWideLevel) {
  Capture c;
  EXPECT_EQ(XMLWriteOpenTag(c.stream, "A", ""), 4);  // "<A>\n"
  EXPECT_EQ(XMLIndentLevel(), 1);
  EXPECT_EQ(XMLWriteTextElement(c.stream, "T", "a<b & \"c\" > ~d"), kQVNoErr);
  XMLWriteOpenTag(c.stream, "B", "k=\"v\"");
  EXPECT_EQ(kQVNoErr, XMLWriteEmptyElement(c.stream, "E", ""));
  EXPECT_EQ(kQVNoErr, XMLWriteFloatElement(c.stream, "F", 1.0f));
  EXPECT_EQ(kQVNoErr, XMLWriteLongElement(c.stream, "L", -7));
  EXPECT_EQ(kQVNoErr, XMLWriteLongLongElement(c.stream, "LL", 5000000000LL));
  EXPECT_EQ(kQVNoErr, XMLWriteBoolElement(c.stream, "Y", true));
  EXPECT_EQ(kQVNoErr, XMLWriteBoolElement(c.stream, "N", false));
  std::string tilde = "x~y<";
  EXPECT_EQ(kQVNoErr, XMLWriteStringElement(c.stream, "S", &tilde));
  EXPECT_EQ(kQVNoErr, XMLWriteStringElement(c.stream, "None", nullptr));
  XMLWriteCloseTag(c.stream, "B");
  EXPECT_EQ(XMLWriteCloseTag(c.stream, "A"), 5);
  EXPECT_EQ(XMLIndentLevel(), 0);
  EXPECT_EQ(c.Text(),
            "<A>\n"
            "\t<T>a&lt;b &amp; &quot;c&quot; &gt; ~d</T>\n"
            "\t<B k=\"v\">\n"
            "\t\t<E/>\n"
            "\t\t<F>1.000000</F>\n"
            "\t\t<L>-7</L>\n"
            "\t\t<LL>5000000000</LL>\n"
            "\t\t<Y>TRUE</Y>\n"
            "\t\t<N>FALSE</N>\n"
            "\t\t<S>x~y&lt;</S>\n"
            "\t\t<None></None>\n"
            "\t</B>\n"
            "</A>\n");
}

TEST_F(XMLLayer, IndentStepsAndItsFiftyTabLimit) {
  Capture c;
  EXPECT_EQ(XMLWriteIndent(c.stream, 2), 0);
  EXPECT_EQ(XMLWriteIndent(c.stream, -1), 1);
  XMLSetIndentLevel(80);
  EXPECT_EQ(XMLWriteIndent(c.stream, 0), 50);
  XMLSetIndentLevel(-3);
  EXPECT_EQ(XMLWriteIndent(c.stream, 0), 0);
  EXPECT_EQ(c.Text(), "\t" + std::string(50, '\t'));
}

TEST_F(XMLLayer, EscapedStringsAndTheBoundedEscaper) {
  Capture c;
  EXPECT_EQ(kQVNoErr, XMLWriteEscapedString(c.stream, "<a href=\"x\">&</a>~"));
  EXPECT_EQ(c.Text(), "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;~");
  EXPECT_EQ(XMLEscapedText("a&b"), "a&amp;b");

  struct Case {
    const char* source;
    size_t size;
    QVStatus status;
    const char* out;
  };
  const Case cases[] = {
      {"a&b", 10, kQVNoErr, "a&amp;b"},
      {"a&b", 8, kQVNoErr, "a&amp;b"},  // exactly fits with its terminator
      {"a&b", 7, kQVErrMemory, "a&amp;"},
      {"a&b", 6, kQVErrMemory, "a"},  // never half an entity
      {"abc", 1, kQVErrMemory, ""},
      {"", 1, kQVNoErr, ""},
  };
  for (const Case& k : cases) {
    char buffer[16];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(XMLEscapeText(k.source, buffer, k.size), k.status) << k.source << " in " << k.size;
    EXPECT_STREQ(buffer, k.out) << k.source << " in " << k.size;
    EXPECT_EQ(buffer[k.size], 'Z') << "wrote past the buffer";
  }
  EXPECT_EQ(XMLEscapeText("x", nullptr, 0), kQVErrMemory);
}

TEST_F(XMLLayer, AFailedWriteGivesTheErrorNumbersStatus) {
  FILE* full = std::fopen("/dev/full", "w");
  if (!full) GTEST_SKIP() << "no /dev/full";
  std::setvbuf(full, nullptr, _IONBF, 0);
  EXPECT_EQ(XMLWriteString(full, "x"), -34);
  EXPECT_EQ(XMLWriteTextElement(full, "T", "x"), -34);
  EXPECT_LT(XMLWriteOpenTag(full, "T", ""), 0);
  std::fclose(full);
  XMLSetIndentLevel(0);

  struct Row {
    int err;
    QVStatus status;
  };
  const Row rows[] = {{ENOENT, -43}, {EIO, -36},      {ENOMEM, -108}, {EACCES, -54},   {EBUSY, -47},
                      {ETXTBSY, -47}, {EEXIST, -48},  {ENODEV, -21},  {ENOTDIR, -1407}, {EISDIR, -1302},
                      {EINVAL, -57},  {ENFILE, -42},  {EFBIG, -1310}, {ENOSPC, -34},   {EROFS, -46},
                      {EPIPE, -50}};
  for (const Row& r : rows) EXPECT_EQ(QVStatusFromWriteErrno(r.err), r.status) << r.err;
}

TEST_F(XMLLayer, OutputFilesReplaceWholeOrNotAtAll) {
  std::string dir = MakeScratchFolder("out");
  std::string path = dir + "/a.txt";
  QVOutputFile file;
  ASSERT_EQ(QVOutputFileOpen(path.c_str(), &file), kQVNoErr);
  std::fputs("first", file.stream);
  ASSERT_EQ(QVOutputFileCommit(&file), kQVNoErr);
  // A destination that is a folder cannot be replaced; the folder stays.
  std::filesystem::create_directory(dir + "/folder");
  ASSERT_EQ(QVOutputFileOpen((dir + "/folder").c_str(), &file), kQVNoErr);
  std::fputs("second", file.stream);
  EXPECT_EQ(QVOutputFileCommit(&file), -1302);
  ASSERT_EQ(QVOutputFileOpen((dir + "/missing/a.txt").c_str(), &file), kQVNoErr);
  EXPECT_EQ(QVOutputFileCommit(&file), -43);
  ASSERT_EQ(QVOutputFileOpen(path.c_str(), &file), kQVNoErr);
  std::fputs("abandoned", file.stream);
  QVOutputFileAbandon(&file);
  std::string text;
  ASSERT_EQ(PLReadFileContents(path.c_str(), 100, &text), kQVNoErr);
  EXPECT_EQ(text, "first");
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/folder"));
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 2u) << "a temporary file was left behind";
}

// --- readers ---------------------------------------------------------------

namespace {

struct Doc {
  xmlDoc* doc;
  explicit Doc(const std::string& text) : doc(XMLDocReadFromBytes(text.data(), text.size())) {}
  ~Doc() {
    if (doc) xmlFreeDoc(doc);
  }
  xmlNode* node() const { return reinterpret_cast<xmlNode*>(doc); }
};

std::unique_ptr<XMLTree> Tree(const std::string& text) { return XMLTreeCreateFromBytes(text.data(), text.size()); }

}  // namespace

TEST_F(XMLLayer, DocumentSearchIsDepthFirstAndIgnoresCase) {
  std::string nested = "<r>";
  for (int i = 0; i < 10; ++i) nested += "<n" + std::to_string(i) + ">";
  nested += "<Deep>2.5 rest</Deep>";
  for (int i = 9; i >= 0; --i) nested += "</n" + std::to_string(i) + ">";
  nested += "<deep>9</deep></r>";
  Doc d(nested);
  ASSERT_TRUE(d.doc);
  bool found = false;
  xmlNode* deep = XMLDocFindElement(d.node(), "DEEP", &found);
  ASSERT_TRUE(found);
  EXPECT_STREQ(reinterpret_cast<const char*>(deep->name), "Deep");
  EXPECT_FLOAT_EQ(XMLDocGetElementFloat(d.node(), "deep"), 2.5f);
  EXPECT_EQ(XMLDocGetElementFloat(d.node(), "missing"), 0.0f);
  EXPECT_EQ(XMLDocFindElement(d.node(), "missing", &found), nullptr);
  EXPECT_FALSE(found);
  EXPECT_EQ(XMLDocFindElement(nullptr, "r", &found), nullptr);
  // The start node itself is not tested.
  xmlNode* root = XMLDocFindElement(d.node(), "r", nullptr);
  EXPECT_EQ(XMLDocFindElement(root, "r", nullptr), nullptr);

  // Texts: the node's own children come before deeper ones.
  Doc t("<r><a><x>deep</x></a><x>near</x><y/></r>");
  xmlNode* r = XMLDocFindElement(t.node(), "r", nullptr);
  EXPECT_STREQ(XMLDocGetElementText(r, "X"), "near");
  EXPECT_EQ(XMLDocGetElementText(r, "y"), nullptr);
}

TEST_F(XMLLayer, TreeValuesAndEntityFolding) {
  auto tree = Tree(
      "<root><On>true</On><Off>yes</Off><F>-1.25</F><L>42x</L><Big>99999999999</Big>"
      "<T>a&amp;b&tilde;c&TILDE;&nbsp;d&lt;</T><A>one<b/>two</A></root>");
  ASSERT_TRUE(tree);
  EXPECT_TRUE(XMLTreeGetElementBool(tree.get(), "on"));
  EXPECT_FALSE(XMLTreeGetElementBool(tree.get(), "off"));
  EXPECT_FALSE(XMLTreeGetElementBool(tree.get(), "absent"));
  EXPECT_FLOAT_EQ(XMLTreeGetElementFloat(tree.get(), "f"), -1.25f);
  EXPECT_EQ(XMLTreeGetElementLong(tree.get(), "l"), 42);
  EXPECT_EQ(XMLTreeGetElementLong(tree.get(), "big"), 0);
  std::string text;
  ASSERT_TRUE(XMLTreeCopyElementText(tree.get(), "t", &text));
  EXPECT_EQ(text, "a&b~c~d<");  // an unknown entity adds nothing
  ASSERT_TRUE(XMLTreeCopyElementText(tree.get(), "a", &text));
  EXPECT_EQ(text, "onetwo");
  EXPECT_FALSE(XMLTreeCopyElementText(tree.get(), "absent", &text));
  bool found = true;
  EXPECT_EQ(XMLTreeFindElement(tree.get(), "absent", &found), nullptr);
  EXPECT_FALSE(found);
}

TEST_F(XMLLayer, WrittenTextReadsBack) {
  Capture c;
  std::string name = "Grade ~1 <night> & \"day\"";
  XMLWriteOpenTag(c.stream, "Root", "");
  EXPECT_EQ(kQVNoErr, XMLWriteStringElement(c.stream, "Name", &name));
  EXPECT_EQ(kQVNoErr, XMLWriteFloatElement(c.stream, "Gain", 1.5f));
  EXPECT_EQ(kQVNoErr, XMLWriteBoolElement(c.stream, "On", true));
  XMLWriteCloseTag(c.stream, "Root");
  std::string text = c.Text();
  auto tree = Tree(text);
  ASSERT_TRUE(tree) << text;
  std::string back;
  ASSERT_TRUE(XMLTreeCopyElementText(tree.get(), "Name", &back));
  EXPECT_EQ(back, name);
  EXPECT_FLOAT_EQ(XMLTreeGetElementFloat(tree.get(), "Gain"), 1.5f);
  EXPECT_TRUE(XMLTreeGetElementBool(tree.get(), "On"));
}

TEST_F(XMLLayer, HostileDocumentsAreRefused) {
  std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE b [<!ENTITY a \"aaaaaaaaaa\">";
  for (int i = 1; i < 10; ++i)
    bomb += "<!ENTITY a" + std::to_string(i) + " \"" + std::string(10, ' ') + "\">";
  bomb += "]><b>&a;</b>";
  const std::string cases[] = {
      "",
      "<a><b></a>",
      "<a>unclosed",
      bomb,
      "<!DOCTYPE a SYSTEM \"http://example.invalid/x.dtd\"><a/>",
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xff\xfe</a>",
      std::string("<a>\0</a>", 8),
  };
  for (const std::string& text : cases) {
    Doc d(text);
    EXPECT_EQ(d.doc, nullptr) << text;
    EXPECT_EQ(Tree(text), nullptr) << text;
  }
  std::string huge(kXMLMaxDocumentBytes + 1, ' ');
  EXPECT_EQ(XMLDocReadFromBytes(huge.data(), huge.size()), nullptr);
  QVFileRef none;
  std::snprintf(none.path, sizeof none.path, "%s/absent.xml", MakeScratchFolder("none").c_str());
  EXPECT_EQ(XMLDocReadFromFSRef(&none), nullptr);
  EXPECT_EQ(XMLTreeCreateFromFSRef(&none), nullptr);
}
