#pragma once
// A remote service on a unit that is on line with a virtual unit, for the service's tests.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "model/FieldCatalog.h"
#include "model/UndoHistory.h"
#include "online_unit.h"
#include "remote/RemoteService.h"
#include "remote_client.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::test {

constexpr char kPin[] = "246810";

class RemoteFixture : public ::testing::Test {
protected:
    // Options for a test: any free port, a known PIN.
    static remote::RemoteOptions TestOptions() {
        remote::RemoteOptions o;
        o.port = 0;
        o.pin = kPin;
        return o;
    }

    // The virtual unit, the program's unit on line with it, the service on that unit, a client with a
    // session.
    void Start(unit::UnitOptions unitOptions = {}, remote::RemoteOptions options = TestOptions()) {
        line = std::make_unique<unit::UnitLine>(unitOptions);
        std::string error;
        ASSERT_TRUE(line->Start(&error)) << error;
        ASSERT_TRUE(online.Connect(line->DevicePath()));
        remote::StartError failure;
        service = remote::StartRemoteService({{&online.unit, "virtual"}}, options, nullptr, &failure);
        ASSERT_TRUE(service) << failure.text;
        client = std::make_unique<ApiClient>(service->Port());
        token = client->Login(kPin);
        ASSERT_FALSE(token.empty());
        client->UseToken(token);
    }
    void TearDown() override {
        client.reset();
        service.reset();
    }

    Model& model() { return online.unit.model(); }

    // The program's current records as bytes.
    std::string Records() {
        const EditedRecords r = CopyEditedRecords(model());
        return std::string(reinterpret_cast<const char*>(&r), sizeof r);
    }

    // A field's code in the program's model and in the virtual unit.
    uint32_t ProgramCode(const std::string& path) {
        const FieldInfo& f = *FindField(path);
        return model().Edit([&] {
            return ReadCode(
                f, f.record == FieldRecord::Program ? BytesOf(model().current) : BytesOf(model().system));
        });
    }
    uint32_t UnitCode(const std::string& path) {
        const FieldInfo& f = *FindField(path);
        if (f.record == FieldRecord::Program) {
            const ProgramImage image = line->Unit().CurrentImage();
            return ReadCode(f, BytesOf(image));
        }
        const SystemRecord system = line->Unit().System();
        return ReadCode(f, BytesOf(system));
    }
    // Everything edited has gone out and the unit holds `code` in `path`.
    bool UnitHas(const std::string& path, uint32_t code, int timeoutMs = 10000) {
        return OnlineUnit::WaitFor([&] { return online.AllSent() && UnitCode(path) == code; }, timeoutMs);
    }

    std::unique_ptr<unit::UnitLine> line;
    OnlineUnit online;
    std::unique_ptr<remote::RemoteService> service;
    std::unique_ptr<ApiClient> client;
    std::string token;
};

}  // namespace pavo::test
