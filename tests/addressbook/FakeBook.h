// Loads a fake library for one test and points QUORVEL_WAB_DLLPATH at it. The
// test keeps its own handle, so the fake's state outlives the session's.
#pragma once

#include "tests/addressbook/FakeWab.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class FakeBook {
  public:
    explicit FakeBook(const std::string& path = FAKE_WAB_PATH) : m_path(path) {
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle == nullptr) {
            ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
        } else if (void* symbol = dlsym(m_handle, "GetFakeWabState")) {
            m_state = reinterpret_cast<FakeWabStateFunction>(symbol)();
            *m_state = FakeWabState();
        }
        setenv("QUORVEL_WAB_DLLPATH", path.c_str(), 1);
    }
    ~FakeBook() {
        unsetenv("QUORVEL_WAB_DLLPATH");
        if (m_handle != nullptr) {
            dlclose(m_handle);
        }
    }
    FakeBook(const FakeBook&) = delete;
    FakeBook& operator=(const FakeBook&) = delete;

    FakeWabState& state() { return *m_state; }
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
    void* m_handle = nullptr;
    FakeWabState* m_state = nullptr;
};

inline FakeEntry Contact(const std::string& name, BYTE id,
                         LONG type = static_cast<LONG>(MAPI_MAILUSER)) {
    FakeEntry entry;
    entry.name = name;
    entry.id = {id, static_cast<BYTE>(id ^ 0x5A), 0x11};
    entry.objectType = type;
    entry.props = {{PR_DISPLAY_NAME_A, name}, {0x3A06001E, "given " + name}};
    return entry;
}
