#include "chart/bakgndimg.h"

namespace {

// The file-name part of a path (after the last slash or backslash).
std::string FileNamePart(const std::string& path)
{
    const auto pos = path.find_last_of("/\\");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace

void TBakGndImg::SetName(const std::string& value)
{
    m_name = m_includePath ? value : FileNamePart(value);
    Changed();
}

void TBakGndImg::SetIncludePath(bool value)
{
    m_includePath = value;
    if (!value) m_name = FileNamePart(m_name);
    Changed();
}

void TBakGndImg::SetFillMode(TBkgFill value)
{
    m_fillMode = value;
    Changed();
}

void TBakGndImg::SetAreaMode(TBGAreaMode value)
{
    m_areaMode = value;
    Changed();
}

void TBakGndImg::SetAreaColor(TColor value)
{
    m_areaColor = value;
    Changed();
}

void TBakGndImg::SetAreaLeft(double value)
{
    m_areaLeft = value;
    Changed();
}

void TBakGndImg::SetAreaRight(double value)
{
    m_areaRight = value;
    Changed();
}

void TBakGndImg::SetAreaTop(double value)
{
    m_areaTop = value;
    Changed();
}

void TBakGndImg::SetAreaBottom(double value)
{
    m_areaBottom = value;
    Changed();
}
