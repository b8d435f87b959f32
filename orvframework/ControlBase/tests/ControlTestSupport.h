// Controls, descriptors and a fixture shared by the control model tests.
#pragma once

#include "ControlBase/Control.h"
#include "ControlBase/ControlCreator.h"
#include "ControlBase/ControlFactory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Orv
{
// Wide strings in failure messages, as UTF-8.
inline void PrintTo(const WString& text, std::ostream* out)
{
    *out << '"' << text.ToNarrow().GetBuffer() << '"';
}
} // namespace Orv

namespace OrvTest
{
// A control that writes each step of its life into a shared journal as "name:step".
class RecordingControl : public Orv::LControl
{
public:
    RecordingControl(const Orv::RCPtr<Orv::LControl>& parent,
                     const Orv::RCPtr<Orv::LControlDescriptor>& descriptor)
        : LControl(parent, descriptor)
    {
        // A constructed child is already in its parent's list.
        const bool listed = parent && parent->GetChildren().children.Find(this) >= 0;
        Note(listed ? "construct (listed)" : "construct");
    }
    ~RecordingControl() override
    {
        if (destroyed != nullptr)
        {
            destroyed->push_back(Narrow(GetName()));
        }
    }

    Orv::ORVRESULT ApplyDescriptor(const Orv::RCPtr<Orv::LControlDescriptor>& d) override
    {
        Note("ApplyDescriptor");
        return LControl::ApplyDescriptor(d);
    }
    Orv::ORVRESULT CreateChildControls(const Orv::RCPtr<Orv::LControlDescriptor>& d) override
    {
        Note("CreateChildControls");
        return LControl::CreateChildControls(d);
    }
    Orv::ORVRESULT Initialize() override
    {
        Note(IsCreated() ? "Initialize (created)" : "Initialize");
        return LControl::Initialize();
    }
    void OnCreated() override
    {
        Note(IsCreated() ? "OnCreated (created)" : "OnCreated");
        LControl::OnCreated();
    }
    void OnChildRemoved(const Orv::RCPtr<Orv::LControl>& child, int position) override
    {
        removed.push_back(Narrow(child->GetName()) + "@" + std::to_string(position));
        LControl::OnChildRemoved(child, position);
    }

    // A handler for subscriptions made by the tests.
    Orv::ORVRESULT OnTest(const Orv::RCPtr<Orv::LNotificationDistributor>&,
                          const Orv::RCPtr<Orv::LNotification>&)
    {
        return 1;
    }

    static std::string Narrow(const Orv::WString& text) { return text.ToNarrow().GetBuffer(); }

    // Shared by every recording control while set.
    static inline std::vector<std::string>* journal = nullptr;
    static inline std::vector<std::string>* destroyed = nullptr;
    std::vector<std::string> removed;

private:
    void Note(const char* step)
    {
        if (journal != nullptr)
        {
            journal->push_back(Narrow(GetName()) + ":" + step);
        }
    }
};

// A descriptor made in code: class "Test.Recording", a layout of the defaults.
inline Orv::RCPtr<Orv::LControlDescriptor> MakeDescriptor(const wchar_t* name,
                                                          Orv::LControlDescriptor* parent = nullptr)
{
    const auto descriptor = Orv::LControlDescriptor::Create(Orv::WString(L"Test.Recording"),
                                                            Orv::WString(name), parent);
    descriptor->SetLayout(Orv::LLayoutDescriptor::Create());
    if (parent != nullptr)
    {
        parent->GetChildren().AddItem(descriptor);
    }
    return descriptor;
}

// A control made directly (no factory), its layout from a fresh descriptor.
inline Orv::RCPtr<RecordingControl> MakeControl(const wchar_t* name,
                                                const Orv::RCPtr<Orv::LControl>& parent = nullptr)
{
    const auto descriptor = MakeDescriptor(name);
    Orv::RCPtr<RecordingControl> control(new RecordingControl(parent, descriptor));
    control->ApplyDescriptor(descriptor);
    return control;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string TestDataPath(const char* name)
{
    return std::string(ORV_CONTROLBASE_TEST_DATA) + "/" + name;
}

inline Orv::LControlFactory::Document AsDocument(const std::string& bytes)
{
    return Orv::LControlFactory::Document{bytes.data(), bytes.size()};
}

// A process-wide factory named "TestApp" with "Test.Recording", "Test.Panel" and
// "Test.Button" registered, and journals that the recording controls fill.
class ControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        factory = new Orv::LControlFactory(Orv::WString(L"TestApp"));
        for (const wchar_t* name : {L"Test.Recording", L"Test.Panel", L"Test.Button"})
        {
            factory->RegisterControlCreateFunction(Orv::WString(name),
                                                   &Orv::CreateControlOf<RecordingControl>);
        }
        Orv::SetControlFactory(factory);
        RecordingControl::journal = &journal;
        RecordingControl::destroyed = &destroyed;
    }
    void TearDown() override
    {
        RecordingControl::journal = nullptr;
        RecordingControl::destroyed = nullptr;
        Orv::SetControlFactory(nullptr);
    }

    Orv::RCPtr<Orv::LControlFactory> factory;
    std::vector<std::string> journal;
    std::vector<std::string> destroyed;
};
} // namespace OrvTest
