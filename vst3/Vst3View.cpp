#include "vst3/Vst3View.h"
#include "vst3/Vst3Plugin.h"

#include <cstring>
#include <new>

namespace orv::vst3face
{
using namespace vst3;

Vst3View* Vst3View::create(Vst3Plugin* plugin)
{
    return new (std::nothrow) Vst3View(plugin);
}

Vst3View::Vst3View(Vst3Plugin* owner) : plugin(owner), driver(&Vst3View::idle, this)
{
    plugin->addRef();
}

Vst3View::~Vst3View()
{
    detachFromPlugin();
    if (frame) frame->release();
}

tresult Vst3View::queryInterface(const TUID iid, void** obj)
{
    if (!obj) return kInvalidArgument;
    void* found = nullptr;
    if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPlugView::iid))
        found = static_cast<IPlugView*>(this);
    else if (sameUid(iid, IPlugViewContentScaleSupport::iid))
        found = static_cast<IPlugViewContentScaleSupport*>(this);
    *obj = found;
    if (!found) return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 Vst3View::addRef()
{
    return references.fetch_add(1) + 1;
}

uint32 Vst3View::release()
{
    const uint32 left = references.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

void Vst3View::detachFromPlugin()
{
    if (!plugin) return;
    close();
    plugin->viewClosed(this);
    Vst3Plugin* owner = plugin;
    plugin = nullptr;
    owner->release();
}

tresult Vst3View::isPlatformTypeSupported(FIDString type)
{
    return type && std::strcmp(type, ViewDriver::platformType()) == 0 ? kResultTrue : kResultFalse;
}

tresult Vst3View::attached(void* parent, FIDString type)
{
    if (!plugin || !parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
    if (isAttached) close();
    auto& effect = plugin->instance();
    if (!effect.openEditor(parent)) return kResultFalse;
    if (!driver.start(frame, plugin->context(), effect.editorEventDescriptor()))
    {
        // Without the host's run loop the window would never be drawn or answer.
        effect.closeEditor();
        return kResultFalse;
    }
    isAttached = true;
    return kResultOk;
}

tresult Vst3View::removed()
{
    close();
    return kResultOk;
}

void Vst3View::close()
{
    if (!isAttached) return;
    isAttached = false;
    driver.stop();
    if (!plugin) return;
    plugin->instance().closeEditor();
    plugin->editorClosed();
}

void Vst3View::idle(void* self)
{
    auto* view = static_cast<Vst3View*>(self);
    if (!view->isAttached || !view->plugin) return;
    view->plugin->instance().idleEditor();
    view->plugin->deliverPendingNotices();
}

tresult Vst3View::getSize(ViewRect* size)
{
    if (!size) return kInvalidArgument;
    int32_t width = 0, height = 0;
    if (!plugin || !plugin->instance().editorSize(width, height)) return kResultFalse;
    *size = ViewRect{0, 0, width, height};
    return kResultOk;
}

tresult Vst3View::onSize(ViewRect* newSize)
{
    if (!newSize) return kInvalidArgument;
    // The editor has one size at a time (its artwork's times its scale); while the host resizes
    // it to a new scale, getSize already gives the new one.
    ViewRect fixed{};
    if (getSize(&fixed) != kResultOk) return kResultFalse;
    const bool fits = newSize->right - newSize->left == fixed.right &&
                      newSize->bottom - newSize->top == fixed.bottom;
    return fits ? kResultTrue : kResultFalse;
}

tresult Vst3View::checkSizeConstraint(ViewRect* rect)
{
    if (!rect) return kInvalidArgument;
    ViewRect fixed{};
    if (getSize(&fixed) != kResultOk) return kResultFalse;
    rect->right = rect->left + fixed.right;
    rect->bottom = rect->top + fixed.bottom;
    return kResultTrue;
}

tresult Vst3View::setFrame(IPlugFrame* newFrame)
{
    if (newFrame) newFrame->addRef();
    if (frame) frame->release();
    frame = newFrame;
    return kResultOk;
}

tresult Vst3View::setContentScaleFactor(float factor)
{
    // An open editor asks for its new size itself (requestResize, through the frame) and takes
    // the factor when the host agrees; a closed one opens at the new size.
    if (!plugin || !plugin->instance().setContentScale(factor)) return kResultFalse;
    return kResultTrue;
}

bool Vst3View::requestResize(int32_t width, int32_t height)
{
    if (!frame || !isAttached) return false;
    ViewRect rect{0, 0, width, height};
    return frame->resizeView(this, &rect) == kResultOk;
}

} // namespace orv::vst3face
