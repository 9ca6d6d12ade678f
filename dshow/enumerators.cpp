#include "enumerators.h"

#include <new>

namespace kvx::dshow {
namespace {

// What Next hands out for one list entry: a new reference or a new copy.
IPin* Emit(IPin* pin) {
    pin->AddRef();
    return pin;
}
AM_MEDIA_TYPE* Emit(const std::unique_ptr<MediaType>& type) { return CreateMediaTypeCopy(type->get()); }

template <class Interface, class Entry, class Out>
class ListEnumerator final : public Interface {
public:
    using List = std::vector<Entry>;

    ListEnumerator(REFIID iid, IUnknown* owner, std::shared_ptr<const List> list, size_t position)
        : iid_(iid), owner_(owner), list_(std::move(list)), position_(position) {
        if (owner_) owner_->AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Out* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG given = 0;
        while (given < count && position_ < list_->size()) {
            out[given] = Emit((*list_)[position_]);
            if (!out[given]) break;
            ++given;
            ++position_;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = list_->size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** copy) override {
        if (!copy) return E_POINTER;
        *copy = new (std::nothrow) ListEnumerator(iid_, owner_, list_, position_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~ListEnumerator() {
        if (owner_) owner_->Release();
    }

    ModuleReference moduleReference_;
    std::atomic<ULONG> references_{1};
    const IID iid_;
    IUnknown* const owner_;
    const std::shared_ptr<const List> list_;
    size_t position_;
};

}  // namespace

IEnumPins* CreatePinEnumerator(IUnknown* owner, std::vector<IPin*> pins) {
    auto list = std::make_shared<const std::vector<IPin*>>(std::move(pins));
    return new (std::nothrow) ListEnumerator<IEnumPins, IPin*, IPin*>(IID_IEnumPins, owner, list, 0);
}

IEnumMediaTypes* CreateMediaTypeEnumerator(std::shared_ptr<const MediaTypeList> types) {
    return new (std::nothrow) ListEnumerator<IEnumMediaTypes, std::unique_ptr<MediaType>, AM_MEDIA_TYPE*>(
        IID_IEnumMediaTypes, nullptr, std::move(types), 0);
}

}  // namespace kvx::dshow
