#include "cfont.h"

namespace VSTGUI
{
namespace
{
// Never deleted, whatever the callers' reference balance.
class StaticFont : public CFontDesc
{
public:
    using CFontDesc::CFontDesc;
    void forget() override
    {
        if (getNbReference() > 1) CFontDesc::forget();
    }
};

StaticFont systemFont("Arial", 12);
StaticFont normalFontVeryBig("Arial", 18);
StaticFont normalFontBig("Arial", 14);
StaticFont normalFont("Arial", 12);
StaticFont normalFontSmall("Arial", 11);
StaticFont normalFontSmaller("Arial", 10);
StaticFont normalFontVerySmall("Arial", 9);
StaticFont symbolFont("Symbol", 13);
} // namespace

const CFontRef kSystemFont = &systemFont;
const CFontRef kNormalFontVeryBig = &normalFontVeryBig;
const CFontRef kNormalFontBig = &normalFontBig;
const CFontRef kNormalFont = &normalFont;
const CFontRef kNormalFontSmall = &normalFontSmall;
const CFontRef kNormalFontSmaller = &normalFontSmaller;
const CFontRef kNormalFontVerySmall = &normalFontVerySmall;
const CFontRef kSymbolFont = &symbolFont;

} // namespace VSTGUI
