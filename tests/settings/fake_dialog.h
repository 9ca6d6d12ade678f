// Dialog controls held in memory, driven the way a user drives the real
// ones, so the dialogs' logic runs with no window system. Setting an edit
// box reports the change to the handler, as an edit control does.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/modal_dialog.h"
#include "settings/dialog_common.h"

namespace kvx::test {

class FakeDialog final : public platform::DialogControls {
public:
    explicit FakeDialog(platform::DialogHandler& handler, int templateId = 0)
        : handler_(handler), templateId_(templateId) {}

    void SetText(int id, const std::string& text) override {
        text_[id] = text;
        handler_.OnCommand(*this, id, platform::kEditChanged);
    }
    std::string Text(int id) const override { return Find(text_, id, std::string()); }
    void SetCheck(int id, bool checked) override { checked_[id] = checked; }
    bool Checked(int id) const override { return Find(checked_, id, false); }
    void Enable(int id, bool enabled) override { enabled_[id] = enabled; }
    bool Enabled(int id) const { return Find(enabled_, id, true); }

    void ComboAdd(int id, const std::string& text) override { combo_[id].push_back(text); }
    void ComboInsert(int id, int position, const std::string& text) override {
        auto& items = combo_[id];
        items.insert(items.begin() + position, text);
    }
    void ComboDelete(int id, int position) override {
        auto& items = combo_[id];
        items.erase(items.begin() + position);
    }
    void ComboSelect(int id, int position) override {
        selection_[id] = position >= 0 && position < static_cast<int>(combo_[id].size()) ? position : -1;
    }
    int ComboSelection(int id) const override { return Find(selection_, id, -1); }
    const std::vector<std::string>& ComboItems(int id) { return combo_[id]; }

    void SetUpTrackbar(int id, int minimum, int maximum, int position, int tickFrequency) override {
        range_[id] = {minimum, maximum, tickFrequency};
        SetTrackbarPosition(id, position);
    }
    // A trackbar keeps its position inside its range.
    void SetTrackbarPosition(int id, int position) override {
        const auto r = Find(range_, id, Range{});
        position_[id] = position < r.minimum ? r.minimum : position > r.maximum ? r.maximum : position;
    }
    int TrackbarPosition(int id) const override { return Find(position_, id, 0); }
    struct Range {
        int minimum = 0, maximum = 0, tick = 0;
    };
    Range TrackbarRange(int id) const { return Find(range_, id, Range{}); }
    void SetUpUpDown(int id, int, int, int, int buddyId) override { buddy_[id] = buddyId; }
    int Buddy(int id) const { return Find(buddy_, id, 0); }

    void InsertTab(int, int index, const std::string& text) override {
        tabs_.insert(tabs_.begin() + index, text);
    }
    const std::vector<std::string>& tabs() const { return tabs_; }
    platform::DialogControls* CreatePage(int, int templateId, platform::DialogHandler& handler, bool shown) override {
        pages_.push_back(std::make_unique<FakeDialog>(handler, templateId));
        FakeDialog* page = pages_.back().get();
        page->shown_ = shown;
        handler.OnInit(*page);
        return page;
    }
    FakeDialog* Page(size_t index) { return index < pages_.size() ? pages_[index].get() : nullptr; }
    void Show(bool shown) override { shown_ = shown; }
    bool shown() const { return shown_; }
    platform::WindowHandle window() const override { return const_cast<FakeDialog*>(this); }
    void End(int result) override { result_ = result; }
    int result() const { return result_; }
    int templateId() const { return templateId_; }

    // What a user does.
    void Click(int id) { handler_.OnCommand(*this, id, platform::kButtonClicked); }
    void Toggle(int id) {
        checked_[id] = !Checked(id);
        Click(id);
    }
    void Type(int id, const std::string& text) { SetText(id, text); }
    void Slide(int trackbar, int position) {
        SetTrackbarPosition(trackbar, position);
        handler_.OnScroll(*this, trackbar);
    }
    void Choose(int combo, int position) {
        ComboSelect(combo, position);
        handler_.OnCommand(*this, combo, platform::kComboSelectionChanged);
    }
    void SelectTab(int index) { handler_.OnTabChanged(*this, settings::kTabControl, index); }

private:
    template <typename Map, typename Value>
    static Value Find(const Map& map, int id, Value fallback) {
        auto it = map.find(id);
        return it == map.end() ? fallback : it->second;
    }

    platform::DialogHandler& handler_;
    int templateId_;
    std::map<int, std::string> text_;
    std::map<int, bool> checked_, enabled_;
    std::map<int, std::vector<std::string>> combo_;
    std::map<int, int> selection_, position_, buddy_;
    std::map<int, Range> range_;
    std::vector<std::string> tabs_;
    std::vector<std::unique_ptr<FakeDialog>> pages_;
    bool shown_ = true;
    int result_ = -1;
};

// Runs every dialog the camera opens on a FakeDialog and hands it to a
// script that plays the user; the script's End is the dialog's result.
class ScriptedDialogs {
public:
    using Script = std::function<void(FakeDialog&)>;
    explicit ScriptedDialogs(Script script) {
        script_() = std::move(script);
        settings::SetDialogRunnerForTesting(&Run);
    }
    ~ScriptedDialogs() {
        settings::SetDialogRunnerForTesting(nullptr);
        script_() = nullptr;
    }

private:
    static Script& script_() {
        static Script script;
        return script;
    }
    static int Run(platform::WindowHandle, int templateId, platform::DialogHandler& handler) {
        FakeDialog frame(handler, templateId);
        handler.OnInit(frame);
        if (script_()) script_()(frame);
        return frame.result();
    }
};

}  // namespace kvx::test
