// orv-host shot: the editor as a user sees it, drawn offscreen into a PNG file. The effect is
// made in this process by the same code as the plug-in library, since only in-process can the
// editor draw into memory instead of a window.
#include "editor/ADEditor.h"
#include "plugin/AudioEffectX.h"
#include "plugin/PluginEntry.h"
#include "tools/RenderOptions.h"

#include <cairo.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace
{
// The about hot spot: the title banner.
constexpr double kAboutX = 165;
constexpr double kAboutY = 28;

bool writePng(const VSTGUI::PixelImage& image, const std::string& path, std::string& error)
{
    if (image.width <= 0 || image.height <= 0)
    {
        error = "the editor drew nothing";
        return false;
    }
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, image.width);
    std::vector<unsigned char> bytes(static_cast<size_t>(stride) * image.height);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(bytes.data() + static_cast<size_t>(y) * stride,
                    image.pixels.data() + static_cast<size_t>(y) * image.width,
                    static_cast<size_t>(image.width) * 4);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        bytes.data(), CAIRO_FORMAT_RGB24, image.width, image.height, stride);
    // Written beside the target and renamed over it: no half-written picture is ever left.
    const auto target = std::filesystem::path(path);
    const std::string temporary =
        (target.parent_path() /
         ("." + target.filename().string() + ".partial-" + std::to_string(::getpid())))
            .string();
    const cairo_status_t status = cairo_surface_write_to_png(surface, temporary.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
    {
        std::remove(temporary.c_str());
        error = "cannot write '" + path + "': " + cairo_status_to_string(status);
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}
// A factor from 1 to 3, written as a plain decimal number.
bool parseScale(const std::string& text, double& scale)
{
    if (text.empty() || text.size() > 16) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(v >= 1.0 && v <= 3.0)) return false;
    scale = v;
    return true;
}
} // namespace

int runShot(const Arguments& arguments)
{
    Arguments args = arguments;
    EffectSettings settings;
    std::string error;
    if (!takeEffectOptions(args, settings, error)) return fail(error);
    if (settings.pluginGiven)
        return fail(
            "shot draws the editor built into orv-host; --plugin is for info, render and demo");
    bool showAbout = false;
    double scale = 1.0;
    Arguments files;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--about")
            showAbout = true;
        else if (arg == "--scale")
        {
            if (i + 1 >= args.size()) return fail("--scale needs a factor from 1 to 3");
            if (!parseScale(args[++i], scale))
                return fail("--scale takes a factor from 1 to 3, not '" + args[i] + "'");
        }
        else if (arg.size() > 1 && arg[0] == '-')
            return fail("unknown option '" + arg + "'");
        else
            files.push_back(arg);
    }
    if (files.size() != 1)
        return fail("shot needs one output file: orv-host shot OUT.png [options]");
    std::string extension = std::filesystem::path(files[0]).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".png") return fail("shot writes PNG pictures: give OUT a .png name");

    VSTGUI::setDefaultPlatformType(VSTGUI::kOffscreen);
    AudioEffect* made = createEffectInstance(orvHostCallback);
    if (!made) return fail("the effect could not be made");
    EffectSession session;
    session.adopt(made->getAeffect());
    if (!configureEffect(settings, session, error)) return fail(error);

    AEffect* effect = session.effect();
    auto* editor = dynamic_cast<ADEditor*>(made->getEditor());
    // The scale reaches the editor as a host's does.
    effect->dispatcher(effect, effVendorSpecific, AudioEffectX::kVendorScaleIndex,
                       AudioEffectX::kVendorScaleValue, nullptr, static_cast<float>(scale));
    if (!editor || dispatch(effect, effEditOpen) != 1 || !editor->getFrame())
        return fail("the editor could not be opened offscreen");
    // A zoom the user chose for the editor window does not apply to a picture asked for with its
    // own scale.
    editor->getFrame()->setScaleFactor(scale);
    dispatch(effect, effEditIdle);
    if (showAbout)
    {
        VSTGUI::CPoint where(kAboutX, kAboutY);
        editor->getFrame()->onMouseDown(where, VSTGUI::kLButton);
        editor->getFrame()->onMouseUp(where, VSTGUI::kLButton);
        dispatch(effect, effEditIdle);
    }
    VSTGUI::PixelImage image;
    editor->getFrame()->getPlatformFrame()->readPixels(image);
    dispatch(effect, effEditClose);
    if (!writePng(image, files[0], error)) return fail(error);
    return 0;
}
