#include "rtf/rtfreader.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <map>
#include <vector>

#include "rtf/codepage.h"

namespace vela {

namespace {

// Bounds that keep damaged or hostile files from eating the machine.
constexpr int kMaxDepth = 512;
constexpr int kMaxTableColumns = 63;
constexpr qsizetype kMaxPictureBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxPicturePixels = 25'000'000;
constexpr int kMaxWordLength = 32;
constexpr int kMaxFontNameBytes = 256;
constexpr double kTwipsPerPixel = 15.0;  // 1440 twips an inch, 96 pixels an inch

enum class Dest {
    Normal,      // text goes into the document
    Skip,        // everything inside is dropped
    FontTable,   // \fonttbl entries
    ColorTable,  // \colortbl entries
    Picture,     // \pict data
    NoText,      // shape wrappers: their text is dropped, pictures inside are kept
};

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int vertical = 0;    // 1 superscript, -1 subscript
    int fontSize = 24;   // half points
    int font = -1;       // -1: the document's default font
    int foreground = 0;  // colour table index, 0 automatic
    int background = 0;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0;  // twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    bool inTable = false;
    std::vector<int> tabs;  // twips from the left margin
};

struct GroupState {
    Dest dest = Dest::Normal;
    CharState ch;
    ParaState para;
    int uc = 1;
};

struct FontEntry {
    QString name;
    int codePage = 0;  // 0: the document's page
};

enum class PictureKind { None, Png, Jpeg, Other };

const QSet<QByteArray>& skippedDestinations() {
    static const QSet<QByteArray> words = {
        "stylesheet",
        "info",
        "listtable",
        "listoverridetable",
        "revtbl",
        "rsidtbl",
        "generator",
        "xmlnstbl",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "pgdsctbl",
        "header",
        "headerl",
        "headerr",
        "headerf",
        "footer",
        "footerl",
        "footerr",
        "footerf",
        "footnote",
        "annotation",
        "atnid",
        "atnauthor",
        "atndate",
        "atnref",
        "atrfstart",
        "atrfend",
        "fldinst",
        "nonshppict",
        "shprslt",
        "sn",
        "objdata",
        "objclass",
        "objname",
        "bkmkstart",
        "bkmkend",
        "xe",
        "tc",
        "template",
        "filetbl",
        "ftnsep",
        "ftnsepc",
        "ftncn",
        "aftnsep",
        "aftnsepc",
        "aftncn",
        "pnseclvl",
        "private",
        "mmathPr",
        "listpicture",
        "pntxta",
        "pntxtb",
        "userprops",
        "docvar",
        "blipuid",
        "picprop",
        "wgrffmtfilter",
        "pgptbl",
        "protusertbl",
        "passwordhash",
        "do",
        "fchars",
        "lchars",
        "falt",
        "panose",
        "fontemb",
        "fontfile",
        "title",
        "subject",
        "author",
        "operator",
        "keywords",
        "comment",
        "doccomm",
        "hlinkbase",
        "company",
        "category",
        "manager",
        "nesttableprops",
        "formfield",
        "datafield",
        "ud",
        "upr",
        "background",
        "pn",
        "ebcstart",
        "ebcend",
        "rxe",
        "txe",
        "oldcprops",
        "oldpprops",
        "oldsprops",
        "oldtprops",
        "rsid",
        "mhtmltag",
        "htmltag",
        "factoidname",
        "xform",
    };
    return words;
}

class Parser {
  public:
    Parser(const QByteArray& data, QTextDocument* doc) : data_(data), doc_(doc), cursor_(doc) {}

    void run();

  private:
    // Input.
    bool atEnd() const { return pos_ >= data_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(data_[pos_]); }

    GroupState& state() { return stack_.back(); }

    void openGroup();
    void closeGroup();
    void readControl();
    void controlWord(const QByteArray& word, bool hasParam, int param);
    void controlSymbol(char c);
    void textByte(unsigned char b);
    void hexByte(unsigned char b);
    void unicodeChar(int value);
    void readBinary(int count);
    bool setDestination(const QByteArray& word);
    bool skipping();

    // Output.
    int currentCodePage();
    void flushBytes();
    void appendByte(unsigned char b);
    void flushText();
    void appendText(const QString& s);
    QTextCharFormat charFormat();
    QTextBlockFormat blockFormat();
    void placeCursor(bool inTable);
    void enterCell();
    void leaveTable();
    void endParagraph(bool pageBreakAfter);
    void endCell();
    void endRow();
    void finishPicture();
    void finishDocument();

    const QByteArray& data_;
    QTextDocument* doc_;
    QTextCursor cursor_;
    qsizetype pos_ = 0;

    std::vector<GroupState> stack_;
    int overflow_ = 0;            // groups opened beyond kMaxDepth
    int skipChars_ = 0;           // fallback characters still to drop after \uN
    bool ignorableNext_ = false;  // \* seen: the next control word may be skipped
    bool done_ = false;

    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    int fontEntry_ = 0;
    QByteArray fontName_;
    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    QByteArray bytes_;  // 8-bit text not yet decoded
    int bytesCodePage_ = 1252;
    QString text_;  // decoded text not yet in the document
    bool pageBreakBefore_ = false;
    bool blockHasContent_ = false;  // something was put into the current block

    // Tables.
    QTextTable* table_ = nullptr;
    int row_ = 0;
    int col_ = 0;
    bool rowPending_ = false;
    bool cellPlaced_ = false;
    std::vector<int> cellx_;

    // Picture being read.
    size_t pictDepth_ = 0;
    PictureKind pictKind_ = PictureKind::None;
    QByteArray pictData_;
    int nibble_ = -1;
    int picw_ = 0, pich_ = 0, picwGoal_ = 0, pichGoal_ = 0, scaleX_ = 100, scaleY_ = 100;
    int pictures_ = 0;
};

bool isLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void Parser::run() {
    while (!atEnd() && !done_) {
        const unsigned char c = peek();
        ++pos_;
        if (overflow_ > 0) {
            // Inside groups nested too deep: only the braces count.
            if (c == '{')
                ++overflow_;
            else if (c == '}')
                --overflow_;
            else if (c == '\\' && !atEnd())
                ++pos_;  // an escaped brace does not count
            continue;
        }
        switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                readControl();
                break;
            case '\r':
            case '\n':
                break;
            default:
                textByte(c);
                break;
        }
    }
    finishDocument();
}

void Parser::openGroup() {
    flushText();
    skipChars_ = 0;
    ignorableNext_ = false;
    if (stack_.size() >= static_cast<size_t>(kMaxDepth)) {
        overflow_ = 1;
        return;
    }
    stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
}

void Parser::closeGroup() {
    flushText();
    skipChars_ = 0;
    ignorableNext_ = false;
    if (stack_.empty())
        return;
    if (state().dest == Dest::FontTable && !fontName_.isEmpty()) {
        // An entry closed without its ';'.
        fonts_[fontEntry_].name =
            CodePage::decode(fonts_[fontEntry_].codePage, fontName_).trimmed();
        fontName_.clear();
    }
    if (pictDepth_ != 0 && stack_.size() == pictDepth_) {
        finishPicture();
        pictDepth_ = 0;
    }
    stack_.pop_back();
    if (stack_.empty())
        done_ = true;  // the document's own group has ended
}

void Parser::readControl() {
    if (atEnd())
        return;
    const unsigned char c = peek();
    if (isLetter(c)) {
        QByteArray word;
        while (!atEnd() && isLetter(peek())) {
            if (word.size() < kMaxWordLength)
                word.append(static_cast<char>(peek()));
            ++pos_;
        }
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (!atEnd() && peek() == '-' && pos_ + 1 < data_.size() &&
            isDigit(static_cast<unsigned char>(data_[pos_ + 1]))) {
            negative = true;
            ++pos_;
        }
        while (!atEnd() && isDigit(peek())) {
            hasParam = true;
            if (value < 10'000'000'000LL)
                value = value * 10 + (peek() - '0');
            ++pos_;
        }
        if (!atEnd() && peek() == ' ')
            ++pos_;
        value = std::min<qint64>(value, 2'147'483'647LL);
        const int param = static_cast<int>(negative ? -value : value);
        controlWord(word, hasParam, param);
        return;
    }
    ++pos_;
    if (c == '\'') {
        int hi = atEnd() ? -1 : hexValue(peek());
        if (hi < 0)
            return;  // a cut-off escape: nothing to read
        ++pos_;
        int lo = atEnd() ? -1 : hexValue(peek());
        if (lo < 0)
            return;
        ++pos_;
        hexByte(static_cast<unsigned char>(hi * 16 + lo));
        return;
    }
    controlSymbol(static_cast<char>(c));
}

bool Parser::skipping() {
    if (skipChars_ > 0) {
        --skipChars_;
        return true;
    }
    return false;
}

void Parser::textByte(unsigned char b) {
    if (stack_.empty())
        return;  // text before the document's group
    if (skipping())
        return;
    switch (state().dest) {
        case Dest::Normal:
            if (state().ch.hidden)
                return;
            if (b == '\t') {
                flushBytes();
                text_.append(QLatin1Char('\t'));
                return;
            }
            if (b < 0x20)
                return;
            appendByte(b);
            return;
        case Dest::FontTable:
            if (b == ';') {
                fonts_[fontEntry_].name =
                    CodePage::decode(fonts_[fontEntry_].codePage, fontName_).trimmed();
                fontName_.clear();
            } else if (b >= 0x20 && fontName_.size() < kMaxFontNameBytes) {
                fontName_.append(static_cast<char>(b));
            }
            return;
        case Dest::ColorTable:
            if (b == ';') {
                colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
                red_ = green_ = blue_ = 0;
                colorSet_ = false;
            }
            return;
        case Dest::Picture: {
            const int v = hexValue(b);
            if (v < 0 || pictData_.size() >= kMaxPictureBytes)
                return;
            if (nibble_ < 0) {
                nibble_ = v;
            } else {
                pictData_.append(static_cast<char>(nibble_ * 16 + v));
                nibble_ = -1;
            }
            return;
        }
        case Dest::Skip:
        case Dest::NoText:
            return;
    }
}

void Parser::hexByte(unsigned char b) {
    if (stack_.empty() || skipping())
        return;
    switch (state().dest) {
        case Dest::Normal: {
            if (!state().ch.hidden)
                appendByte(b);
            return;
        }
        case Dest::FontTable:
            if (fontName_.size() < kMaxFontNameBytes)
                fontName_.append(static_cast<char>(b));
            return;
        default:
            return;
    }
}

void Parser::unicodeChar(int value) {
    if (value < 0)
        value += 65536;
    skipChars_ = state().uc;
    if (value < 0 || value > 0xFFFF || state().dest != Dest::Normal || state().ch.hidden)
        return;
    flushBytes();
    text_.append(QChar(static_cast<char16_t>(value)));
}

void Parser::readBinary(int count) {
    const qsizetype n = std::clamp<qsizetype>(count, 0, data_.size() - pos_);
    if (!stack_.empty() && state().dest == Dest::Picture) {
        const qsizetype room = std::max<qsizetype>(0, kMaxPictureBytes - pictData_.size());
        pictData_.append(data_.constData() + pos_, std::min(n, room));
    }
    pos_ += n;
}

void Parser::controlSymbol(char c) {
    if (stack_.empty())
        return;
    if (c == '*') {
        ignorableNext_ = true;
        return;
    }
    switch (c) {
        case '\\':
        case '{':
        case '}':
            textByte(static_cast<unsigned char>(c));
            return;
        default:
            break;
    }
    if (skipping() || state().dest != Dest::Normal || state().ch.hidden)
        return;
    flushBytes();
    switch (c) {
        case '~':
            text_.append(QChar(0x00A0));
            break;
        case '-':
            text_.append(QChar(0x00AD));
            break;
        case '_':
            text_.append(QChar(0x2011));
            break;
        case '\r':
        case '\n':
            endParagraph(false);
            break;
        default:
            break;
    }
}

namespace {

// Control words that stand for one character.
QChar symbolFor(const QByteArray& word) {
    static const QHash<QByteArray, QChar> symbols = {
        {"tab", QChar('\t')},
        {"emdash", QChar(0x2014)},
        {"endash", QChar(0x2013)},
        {"emspace", QChar(0x2003)},
        {"enspace", QChar(0x2002)},
        {"qmspace", QChar(0x2005)},
        {"bullet", QChar(0x2022)},
        {"lquote", QChar(0x2018)},
        {"rquote", QChar(0x2019)},
        {"ldblquote", QChar(0x201C)},
        {"rdblquote", QChar(0x201D)},
        {"nestcell", QChar('\t')},
        {"nestrow", QChar::LineSeparator},
    };
    return symbols.value(word);
}

}  // namespace

bool Parser::setDestination(const QByteArray& word) {
    GroupState& st = state();
    if (word == "fonttbl") {
        st.dest = Dest::FontTable;
    } else if (word == "colortbl") {
        st.dest = Dest::ColorTable;
    } else if (word == "pict") {
        if (st.dest == Dest::Picture || st.dest == Dest::Skip)
            return true;
        st.dest = Dest::Picture;
        pictDepth_ = stack_.size();
        pictKind_ = PictureKind::None;
        pictData_.clear();
        nibble_ = -1;
        picw_ = pich_ = picwGoal_ = pichGoal_ = 0;
        scaleX_ = scaleY_ = 100;
    } else if (word == "shp" || word == "shpinst" || word == "sp" || word == "sv" ||
               word == "shpgrp") {
        if (st.dest == Dest::Normal)
            st.dest = Dest::NoText;
    } else if (word == "shptxt" || word == "shppict" || word == "fldrslt" || word == "field") {
        // Shown as ordinary text: a text box, the modern form of a picture,
        // the visible result of a field.
        if (st.dest == Dest::NoText && word == "shptxt")
            st.dest = Dest::Normal;
    } else if (skippedDestinations().contains(word)) {
        st.dest = Dest::Skip;
    } else {
        return false;
    }
    return true;
}

void Parser::controlWord(const QByteArray& word, bool hasParam, int param) {
    if (stack_.empty())
        return;
    // \u adds to the pending text, so the halves of a surrogate pair stay together.
    if (word != "u")
        flushText();
    if (word == "bin") {
        const bool skip = skipping();
        if (skip && state().dest == Dest::Picture) {
            pos_ += std::clamp<qsizetype>(param, 0, data_.size() - pos_);
            return;
        }
        readBinary(hasParam ? param : 0);
        return;
    }
    if (skipping())
        return;
    const bool ignorable = ignorableNext_;
    ignorableNext_ = false;

    GroupState& st = state();
    if (st.dest == Dest::Skip)
        return;
    if (setDestination(word))
        return;
    if (ignorable) {
        // An optional destination this reader does not know.
        st.dest = Dest::Skip;
        return;
    }

    const int p = hasParam ? param : 0;
    const bool on = !hasParam || param != 0;

    if (st.dest == Dest::FontTable) {
        if (word == "f") {
            fontEntry_ = p;
            fontName_.clear();
        } else if (word == "fcharset") {
            fonts_[fontEntry_].codePage = CodePage::forCharset(p);
        } else if (word == "cpg") {
            fonts_[fontEntry_].codePage = std::clamp(p, 0, 65535);
        } else if (word == "u") {
            // Unicode in a font name is rare; the fallback bytes name the font well enough.
            skipChars_ = st.uc;
        }
        return;
    }
    if (st.dest == Dest::ColorTable) {
        if (word == "red")
            red_ = std::clamp(p, 0, 255), colorSet_ = true;
        else if (word == "green")
            green_ = std::clamp(p, 0, 255), colorSet_ = true;
        else if (word == "blue")
            blue_ = std::clamp(p, 0, 255), colorSet_ = true;
        return;
    }
    if (st.dest == Dest::Picture) {
        if (word == "pngblip")
            pictKind_ = PictureKind::Png;
        else if (word == "jpegblip")
            pictKind_ = PictureKind::Jpeg;
        else if (word == "emfblip" || word == "wmetafile" || word == "macpict" ||
                 word == "dibitmap" || word == "wbitmap" || word == "pmmetafile")
            pictKind_ = PictureKind::Other;
        else if (word == "picw")
            picw_ = p;
        else if (word == "pich")
            pich_ = p;
        else if (word == "picwgoal")
            picwGoal_ = p;
        else if (word == "pichgoal")
            pichGoal_ = p;
        else if (word == "picscalex")
            scaleX_ = std::clamp(p, 1, 1000);
        else if (word == "picscaley")
            scaleY_ = std::clamp(p, 1, 1000);
        return;
    }

    // Document-wide settings.
    if (word == "ansi") {
        docCodePage_ = 1252;
    } else if (word == "ansicpg") {
        docCodePage_ = std::clamp(p, 0, 65535);
    } else if (word == "mac") {
        docCodePage_ = 10000;
    } else if (word == "pc") {
        docCodePage_ = 437;
    } else if (word == "pca") {
        docCodePage_ = 850;
    } else if (word == "deff") {
        defaultFont_ = p;
    } else if (word == "uc") {
        st.uc = std::clamp(p, 0, 16);
    } else if (word == "u") {
        unicodeChar(p);
    }
    // Character formatting.
    else if (word == "plain") {
        st.ch = CharState{};
    } else if (word == "b") {
        st.ch.bold = on;
    } else if (word == "i") {
        st.ch.italic = on;
    } else if (word == "ul") {
        st.ch.underline = on;
    } else if (word == "uld" || word == "uldb" || word == "ulw" || word == "ulth" ||
               word == "uldash" || word == "ulwave") {
        st.ch.underline = on;
    } else if (word == "ulnone") {
        st.ch.underline = false;
    } else if (word == "strike" || word == "striked") {
        st.ch.strike = on;
    } else if (word == "v") {
        st.ch.hidden = on;
    } else if (word == "super") {
        st.ch.vertical = 1;
    } else if (word == "sub") {
        st.ch.vertical = -1;
    } else if (word == "nosupersub") {
        st.ch.vertical = 0;
    } else if (word == "fs") {
        st.ch.fontSize = hasParam ? std::clamp(param, 2, 3276) : 24;
    } else if (word == "f") {
        st.ch.font = p;
    } else if (word == "cf") {
        st.ch.foreground = p;
    } else if (word == "cb" || word == "highlight" || word == "chcbpat") {
        st.ch.background = p;
    }
    // Paragraph formatting.
    else if (word == "pard") {
        st.para = ParaState{};
    } else if (word == "ql") {
        st.para.align = Qt::AlignLeft;
    } else if (word == "qc") {
        st.para.align = Qt::AlignHCenter;
    } else if (word == "qr") {
        st.para.align = Qt::AlignRight;
    } else if (word == "qj") {
        st.para.align = Qt::AlignJustify;
    } else if (word == "li" || word == "lin") {
        st.para.left = std::clamp(p, -31680, 31680);
    } else if (word == "ri" || word == "rin") {
        st.para.right = std::clamp(p, -31680, 31680);
    } else if (word == "fi") {
        st.para.first = std::clamp(p, -31680, 31680);
    } else if (word == "sb") {
        st.para.before = std::clamp(p, 0, 31680);
    } else if (word == "sa") {
        st.para.after = std::clamp(p, 0, 31680);
    } else if (word == "tx" || word == "tb") {
        if (st.para.tabs.size() < 64)
            st.para.tabs.push_back(std::clamp(p, 0, 31680 * 2));
    } else if (word == "intbl") {
        st.para.inTable = true;
    } else if (word == "itap") {
        st.para.inTable = p > 0;
    }
    // Breaks and special characters.
    else if (word == "par" || word == "sect") {
        if (st.dest == Dest::Normal)
            endParagraph(false);
    } else if (word == "page") {
        if (st.dest == Dest::Normal)
            endParagraph(true);
    } else if (word == "line") {
        if (st.dest == Dest::Normal)
            appendText(QString(QChar::LineSeparator));
    } else if (const QChar symbol = symbolFor(word); !symbol.isNull()) {
        appendText(QString(symbol));
    }
    // Tables.
    else if (word == "trowd") {
        cellx_.clear();
    } else if (word == "cellx") {
        if (cellx_.size() < static_cast<size_t>(kMaxTableColumns))
            cellx_.push_back(std::clamp(p, 0, 31680 * 4));
    } else if (word == "cell") {
        if (st.dest == Dest::Normal)
            endCell();
    } else if (word == "row") {
        if (st.dest == Dest::Normal)
            endRow();
    }
}

int Parser::currentCodePage() {
    const int font = state().ch.font >= 0 ? state().ch.font : defaultFont_;
    const auto it = fonts_.find(font);
    if (it != fonts_.end() && it->second.codePage != 0)
        return it->second.codePage;
    return docCodePage_;
}

// Text bytes wait until a run of one code page ends, then are decoded together.
void Parser::appendByte(unsigned char b) {
    const int cp = currentCodePage();
    if (!bytes_.isEmpty() && cp != bytesCodePage_)
        flushBytes();
    bytesCodePage_ = cp;
    bytes_.append(static_cast<char>(b));
}

void Parser::flushBytes() {
    if (bytes_.isEmpty())
        return;
    text_.append(CodePage::decode(bytesCodePage_, bytes_));
    bytes_.clear();
}

void Parser::appendText(const QString& s) {
    if (state().dest != Dest::Normal || state().ch.hidden)
        return;
    flushBytes();
    text_.append(s);
}

// Characters that would upset the document's own structure (frame marks,
// object marks, lone surrogate halves, control codes) become U+FFFD or go.
QString cleaned(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(s[++i]);
        } else if (c.isSurrogate() || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC || u == 0xFFFE ||
                   u == 0xFFFF) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else if (u < 0x20 && u != '\t') {
            continue;
        } else if (u == QChar::ParagraphSeparator || u == 0x000B) {
            out.append(QChar(QChar::LineSeparator));
        } else {
            out.append(c);
        }
    }
    return out;
}

void Parser::flushText() {
    flushBytes();
    if (text_.isEmpty())
        return;
    const QString s = cleaned(text_);
    text_.clear();
    if (s.isEmpty())
        return;
    placeCursor(state().para.inTable);
    cursor_.insertText(s, charFormat());
    blockHasContent_ = true;
}

QTextCharFormat Parser::charFormat() {
    const CharState& ch = state().ch;
    QTextCharFormat f;
    f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(ch.italic);
    f.setFontUnderline(ch.underline);
    f.setFontStrikeOut(ch.strike);
    f.setFontPointSize(ch.fontSize / 2.0);
    if (ch.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (ch.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    const int font = ch.font >= 0 ? ch.font : defaultFont_;
    const auto it = fonts_.find(font);
    if (it != fonts_.end() && !it->second.name.isEmpty())
        f.setFontFamilies(QStringList{it->second.name});
    if (ch.foreground > 0 && static_cast<size_t>(ch.foreground) < colors_.size() &&
        colors_[ch.foreground].isValid())
        f.setForeground(colors_[ch.foreground]);
    if (ch.background > 0 && static_cast<size_t>(ch.background) < colors_.size() &&
        colors_[ch.background].isValid())
        f.setBackground(colors_[ch.background]);
    return f;
}

QTextBlockFormat Parser::blockFormat() {
    const ParaState& p = state().para;
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(p.left / kTwipsPerPixel);
    f.setRightMargin(p.right / kTwipsPerPixel);
    f.setTextIndent(p.first / kTwipsPerPixel);
    f.setTopMargin(p.before / kTwipsPerPixel);
    f.setBottomMargin(p.after / kTwipsPerPixel);
    if (pageBreakBefore_)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    // A hanging indent has a tab stop at the indent, so "bullet, tab, text"
    // lines up the text of every line. The layout counts tab stops from the
    // start of the paragraph's first line.
    QList<QTextOption::Tab> tabs;
    if (p.first < 0 && p.left > 0)
        tabs.append(QTextOption::Tab(-p.first / kTwipsPerPixel, QTextOption::LeftTab));
    for (int t : p.tabs)
        if (t > p.left + p.first)
            tabs.append(
                QTextOption::Tab((t - p.left - p.first) / kTwipsPerPixel, QTextOption::LeftTab));
    if (!tabs.isEmpty()) {
        std::sort(tabs.begin(), tabs.end(),
                  [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
                      return a.position < b.position;
                  });
        f.setTabPositions(tabs);
    }
    return f;
}

// Puts the cursor where the next content belongs: into the current table
// cell while the paragraph is part of a table, after the table otherwise.
void Parser::placeCursor(bool inTable) {
    if (inTable)
        enterCell();
    else if (table_)
        leaveTable();
}

void Parser::enterCell() {
    if (!table_) {
        // The table follows the paragraph before it; the empty paragraph the
        // last \par opened would show as a blank line above the table.
        if (!blockHasContent_ && cursor_.block().text().isEmpty()) {
            const QTextBlock prev = cursor_.block().previous();
            if (prev.isValid() && !QTextCursor(prev).currentTable() && !cursor_.currentTable() &&
                !prev.text().isEmpty())
                cursor_.deletePreviousChar();
        }
        const int cols = std::clamp(static_cast<int>(cellx_.size()), 1, kMaxTableColumns);
        QTextTableFormat tf;
        tf.setBorder(1);
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setBorderCollapse(true);
        tf.setCellPadding(3);
        tf.setCellSpacing(0);
        if (static_cast<int>(cellx_.size()) == cols && cellx_.back() > 0) {
            QList<QTextLength> widths;
            int prev = 0;
            for (int x : cellx_) {
                widths.append(QTextLength(QTextLength::FixedLength,
                                          std::max(8.0, (x - prev) / kTwipsPerPixel)));
                prev = std::max(prev, x);
            }
            tf.setColumnWidthConstraints(widths);
        }
        table_ = cursor_.insertTable(1, cols, tf);
        row_ = col_ = 0;
        rowPending_ = false;
        cellPlaced_ = true;
        blockHasContent_ = false;
        return;
    }
    if (rowPending_) {
        table_->appendRows(1);
        ++row_;
        col_ = 0;
        rowPending_ = false;
        cellPlaced_ = false;
    }
    if (col_ >= table_->columns()) {
        if (table_->columns() < kMaxTableColumns)
            table_->appendColumns(std::min(col_, kMaxTableColumns - 1) - table_->columns() + 1);
        col_ = std::min(col_, table_->columns() - 1);
    }
    if (!cellPlaced_) {
        cursor_ = table_->cellAt(row_, col_).lastCursorPosition();
        cellPlaced_ = true;
        blockHasContent_ = !cursor_.block().text().isEmpty();
    }
}

void Parser::leaveTable() {
    cursor_.setPosition(table_->lastPosition());
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = nullptr;
    rowPending_ = false;
    cellPlaced_ = false;
    blockHasContent_ = !cursor_.block().text().isEmpty();
}

void Parser::endParagraph(bool pageBreakAfter) {
    flushText();
    placeCursor(state().para.inTable);
    if (pageBreakAfter && !table_ && !blockHasContent_ && cursor_.block().text().isEmpty()) {
        // A page break at the start of a paragraph moves that paragraph.
        pageBreakBefore_ = true;
        return;
    }
    cursor_.setBlockFormat(blockFormat());
    pageBreakBefore_ = pageBreakAfter && !table_;
    cursor_.insertBlock(blockFormat());
    blockHasContent_ = false;
}

void Parser::endCell() {
    flushText();
    enterCell();
    cursor_.setBlockFormat(blockFormat());
    ++col_;
    cellPlaced_ = false;
}

void Parser::endRow() {
    flushText();
    if (!table_)
        return;
    rowPending_ = true;
    cellPlaced_ = false;
}

void Parser::finishPicture() {
    if (pictKind_ != PictureKind::Png && pictKind_ != PictureKind::Jpeg)
        return;
    if (pictData_.isEmpty())
        return;
    // The group holding the picture decides whether it is shown.
    if (stack_.size() < 2)
        return;
    const GroupState& outer = stack_[stack_.size() - 2];
    if (outer.dest == Dest::Skip || outer.ch.hidden)
        return;

    QBuffer buffer(&pictData_);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, pictKind_ == PictureKind::Png ? "png" : "jpeg");
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return;
    const QImage image = reader.read();
    if (image.isNull())
        return;

    double w = picwGoal_ > 0 ? picwGoal_ / kTwipsPerPixel : image.width();
    double h = pichGoal_ > 0 ? pichGoal_ / kTwipsPerPixel : image.height();
    w = std::clamp(w * scaleX_ / 100.0, 1.0, 4000.0);
    h = std::clamp(h * scaleY_ / 100.0, 1.0, 4000.0);

    const QUrl name(QStringLiteral("rtfpict:%1").arg(++pictures_));
    doc_->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat f;
    f.setName(name.toString());
    f.setWidth(w);
    f.setHeight(h);

    // The picture stands in the text of the group around it.
    placeCursor(outer.para.inTable);
    cursor_.insertImage(f);
    blockHasContent_ = true;
}

void Parser::finishDocument() {
    if (stack_.empty())
        stack_.push_back(GroupState{});
    // Whatever is still open ends here, pictures included.
    while (stack_.size() > 1 && pictDepth_ != 0) {
        closeGroup();
        done_ = false;
    }
    flushText();
    if (!table_ && !blockHasContent_) {
        // The last \par ends the last paragraph; it does not begin a new one.
        const QTextBlock prev = cursor_.block().previous();
        if (prev.isValid() && cursor_.block().text().isEmpty()) {
            QTextCursor before(prev);
            if (!before.currentTable() && !cursor_.currentTable()) {
                cursor_.deletePreviousChar();
                return;
            }
        }
    }
    if (!table_)
        cursor_.setBlockFormat(blockFormat());
}

}  // namespace

Status RtfReader::read(const QByteArray& data, QTextDocument* doc) {
    doc->clear();
    qsizetype start = 0;
    if (data.startsWith("\xEF\xBB\xBF"))
        start = 3;
    while (start < data.size() && (data[start] == ' ' || data[start] == '\t' ||
                                   data[start] == '\r' || data[start] == '\n'))
        ++start;
    if (data.mid(start, 5) != "{\\rtf")
        return Error{QStringLiteral("Az állomány nem RTF formátumú szöveg.")};
    const QByteArray body = data.mid(start);
    Parser parser(body, doc);
    parser.run();
    doc->setModified(false);
    return {};
}

Status RtfReader::readFile(const QString& path, QTextDocument* doc) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        doc->clear();
        return Error{QStringLiteral("A(z) %1 állomány nem nyitható meg: %2")
                         .arg(QFileInfo(path).fileName(), file.errorString())};
    }
    if (file.size() > kMaxFileBytes) {
        doc->clear();
        return Error{QStringLiteral("A(z) %1 állomány túl nagy.").arg(QFileInfo(path).fileName())};
    }
    return read(file.readAll(), doc);
}

}  // namespace vela
