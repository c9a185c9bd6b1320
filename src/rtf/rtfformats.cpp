#include "rtfformats.h"

#include "rtffonttable.h"
#include "rtftable.h"

#include <QList>

#include <unordered_map>

namespace {

// A paragraph keeps at most this many tab stops.
constexpr std::size_t MaxTabStops = 64;

// How a word changes the properties: a table of small setters, one per word.
template <typename TProps>
using TSetter = void (*)(TProps& props, bool has, int value);

template <typename TProps>
bool Apply(const std::unordered_map<std::string, TSetter<TProps>>& setters, const std::string& word, bool has,
           int value, TProps& props) {
  const auto found = setters.find(word);
  if (found == setters.end()) return false;
  found->second(props, has, value);
  return true;
}

// A toggle word is on without a parameter, and with any parameter but 0.
bool On(bool has, int value) { return !has || value != 0; }

int Indent(int value) { return RtfClamp(value, -RtfMaxIndentTwips, RtfMaxIndentTwips); }
int Spacing(int value) { return RtfClamp(value, 0, RtfMaxIndentTwips); }

using TCharSetter = TSetter<TRtfCharProps>;
using TParaSetter = TSetter<TRtfParaProps>;

const TCharSetter SetUnderline = [](TRtfCharProps& c, bool has, int value) { c.Underline = On(has, value); };
const TCharSetter SetStrike = [](TRtfCharProps& c, bool has, int value) { c.Strike = On(has, value); };
const TCharSetter SetBack = [](TRtfCharProps& c, bool has, int value) { c.Back = has ? value : 0; };

const std::unordered_map<std::string, TCharSetter>& CharacterSetters() {
  static const std::unordered_map<std::string, TCharSetter> setters = {
      {"plain", [](TRtfCharProps& c, bool, int) { c = TRtfCharProps(); }},
      {"f", [](TRtfCharProps& c, bool has, int value) { c.Font = has ? value : 0; }},
      {"fs", [](TRtfCharProps& c, bool has, int value) { c.SizeHalfPoints = has ? RtfClamp(value, 2, 3276) : 24; }},
      {"b", [](TRtfCharProps& c, bool has, int value) { c.Bold = On(has, value); }},
      {"i", [](TRtfCharProps& c, bool has, int value) { c.Italic = On(has, value); }},
      {"ulnone", [](TRtfCharProps& c, bool, int) { c.Underline = false; }},
      {"ul", SetUnderline}, {"uld", SetUnderline}, {"uldash", SetUnderline}, {"uldashd", SetUnderline},
      {"uldashdd", SetUnderline}, {"uldb", SetUnderline}, {"ulhwave", SetUnderline}, {"ulldash", SetUnderline},
      {"ulth", SetUnderline}, {"ulthd", SetUnderline}, {"ulthdash", SetUnderline}, {"ulthdashd", SetUnderline},
      {"ulthdashdd", SetUnderline}, {"ulthldash", SetUnderline}, {"ululdbwave", SetUnderline},
      {"ulw", SetUnderline}, {"ulwave", SetUnderline},
      {"strike", SetStrike}, {"striked", SetStrike},
      {"v", [](TRtfCharProps& c, bool has, int value) { c.Hidden = On(has, value); }},
      {"cf", [](TRtfCharProps& c, bool has, int value) { c.Fore = has ? value : 0; }},
      {"cb", SetBack}, {"highlight", SetBack}, {"chcbpat", SetBack},
      {"super", [](TRtfCharProps& c, bool has, int value) { c.Script = On(has, value) ? 1 : 0; }},
      {"sub", [](TRtfCharProps& c, bool has, int value) { c.Script = On(has, value) ? -1 : 0; }},
      {"nosupersub", [](TRtfCharProps& c, bool, int) { c.Script = 0; }},
      // A raised or lowered baseline, in half points: shown as super- or subscript.
      {"up", [](TRtfCharProps& c, bool has, int value) { c.Script = (has ? value : 6) > 0 ? 1 : 0; }},
      {"dn", [](TRtfCharProps& c, bool has, int value) { c.Script = (has ? value : 6) > 0 ? -1 : 0; }},
  };
  return setters;
}

void SetTabType(TRtfParaProps& p, QTextOption::TabType type) { p.NextTabType = type; }

void AddTabStop(TRtfParaProps& p, bool has, int value) {
  if (has && p.Tabs.size() < MaxTabStops) {
    const QChar delimiter = p.NextTabType == QTextOption::DelimiterTab ? QLatin1Char('.') : QChar();
    p.Tabs.emplace_back(RtfClamp(value, 0, RtfMaxIndentTwips), p.NextTabType, delimiter);
  }
  p.NextTabType = QTextOption::LeftTab;
}

const std::unordered_map<std::string, TParaSetter>& ParagraphSetters() {
  static const std::unordered_map<std::string, TParaSetter> setters = {
      {"pard", [](TRtfParaProps& p, bool, int) { p = TRtfParaProps(); }},
      {"intbl", [](TRtfParaProps& p, bool, int) { p.InTable = true; }},
      {"ql", [](TRtfParaProps& p, bool, int) { p.Align = Qt::AlignLeft; }},
      {"qc", [](TRtfParaProps& p, bool, int) { p.Align = Qt::AlignHCenter; }},
      {"qr", [](TRtfParaProps& p, bool, int) { p.Align = Qt::AlignRight; }},
      {"qj", [](TRtfParaProps& p, bool, int) { p.Align = Qt::AlignJustify; }},
      {"li", [](TRtfParaProps& p, bool, int value) { p.LeftTwips = Indent(value); }},
      {"ri", [](TRtfParaProps& p, bool, int value) { p.RightTwips = Indent(value); }},
      {"fi", [](TRtfParaProps& p, bool, int value) { p.FirstTwips = Indent(value); }},
      {"sb", [](TRtfParaProps& p, bool, int value) { p.BeforeTwips = Spacing(value); }},
      {"sa", [](TRtfParaProps& p, bool, int value) { p.AfterTwips = Spacing(value); }},
      {"sl", [](TRtfParaProps& p, bool has, int value) { p.LineTwips = has ? Indent(value) : 0; }},
      {"slmult", [](TRtfParaProps& p, bool has, int value) { p.LineMultiple = On(has, value); }},
      {"ls", [](TRtfParaProps& p, bool has, int value) { p.ListOverride = has ? std::max(0, value) : 0; }},
      {"ilvl", [](TRtfParaProps& p, bool has, int value) {
         p.ListLevel = has ? RtfClamp(value, 0, RtfMaxListLevels - 1) : 0;
       }},
      {"itap", [](TRtfParaProps& p, bool has, int value) { p.Nesting = has ? RtfClamp(value, 0, RtfMaxTableDepth) : 1; }},
      {"tqr", [](TRtfParaProps& p, bool, int) { SetTabType(p, QTextOption::RightTab); }},
      {"tqc", [](TRtfParaProps& p, bool, int) { SetTabType(p, QTextOption::CenterTab); }},
      {"tqdec", [](TRtfParaProps& p, bool, int) { SetTabType(p, QTextOption::DelimiterTab); }},
      {"tx", AddTabStop},
      {"tb", AddTabStop},
  };
  return setters;
}

void SetLineHeight(const TRtfParaProps& props, QTextBlockFormat& format) {
  if (props.LineTwips == 0) return;
  if (props.LineMultiple && props.LineTwips > 0)
    format.setLineHeight(props.LineTwips * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
  else if (props.LineTwips > 0)
    format.setLineHeight(props.LineTwips / RtfTwipsPerPixel, QTextBlockFormat::MinimumHeight);
  else
    format.setLineHeight(-props.LineTwips / RtfTwipsPerPixel, QTextBlockFormat::FixedHeight);
}

// RTF counts tab stops from the left margin, Qt from where the line starts: the stops are moved
// by where the first line starts (later lines of the paragraph start elsewhere, and keep that
// shift). A hanging first line has one more stop at the paragraph's indent, where a list's text
// starts after its bullet.
void SetTabPositions(const TRtfParaProps& props, QTextBlockFormat& format) {
  std::vector<QTextOption::Tab> tabs = props.Tabs;
  if (props.FirstTwips < 0 && props.LeftTwips > 0 &&
      std::none_of(tabs.begin(), tabs.end(), [&](const QTextOption::Tab& t) { return t.position == props.LeftTwips; }))
    tabs.emplace_back(props.LeftTwips, QTextOption::LeftTab);
  if (tabs.empty()) return;
  std::sort(tabs.begin(), tabs.end(),
            [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position < b.position; });
  const int lineStart = props.LeftTwips + props.FirstTwips;
  QList<QTextOption::Tab> positions;
  for (QTextOption::Tab tab : tabs) {
    if (tab.position <= lineStart) continue;  // behind the line's start: never reached
    tab.position = (tab.position - lineStart) / RtfTwipsPerPixel;
    positions.append(tab);
  }
  format.setTabPositions(positions);
}

}  // namespace

bool RtfCharacterWord(const std::string& word, bool has, int value, TRtfCharProps& props) {
  return Apply(CharacterSetters(), word, has, value, props);
}

bool RtfParagraphWord(const std::string& word, bool has, int value, TRtfParaProps& props) {
  return Apply(ParagraphSetters(), word, has, value, props);
}

QTextCharFormat RtfCharFormat(const TRtfCharProps& props, const TRtfFontTable& fonts, const TRtfColorTable& colors) {
  QTextCharFormat format;
  const QString family = fonts.Family(props.Font);
  if (!family.isEmpty()) format.setFontFamily(family);
  format.setFontPointSize(props.SizeHalfPoints / 2.0);
  format.setFontWeight(props.Bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(props.Italic);
  format.setFontUnderline(props.Underline);
  format.setFontStrikeOut(props.Strike);
  const QColor fore = colors.At(props.Fore);
  if (fore.isValid()) format.setForeground(fore);
  const QColor back = colors.At(props.Back);
  if (back.isValid()) format.setBackground(back);
  if (props.Script > 0) format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  if (props.Script < 0) format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
  return format;
}

QTextBlockFormat RtfBlockFormat(const TRtfParaProps& props, bool nonBreakable) {
  QTextBlockFormat format;
  format.setNonBreakableLines(nonBreakable);
  format.setAlignment(props.Align);
  format.setLeftMargin(props.LeftTwips / RtfTwipsPerPixel);
  format.setRightMargin(props.RightTwips / RtfTwipsPerPixel);
  format.setTextIndent(props.FirstTwips / RtfTwipsPerPixel);
  format.setTopMargin(props.BeforeTwips / RtfTwipsPerPixel);
  format.setBottomMargin(props.AfterTwips / RtfTwipsPerPixel);
  SetLineHeight(props, format);
  SetTabPositions(props, format);
  return format;
}
