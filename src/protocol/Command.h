#pragma once
// The two frame builders.
//
// ScanForChange: the serial engine calls it on its thread, with the send lock held, when the send queue
// is empty. It compares the current system record and program image with their last-sent copies in a
// fixed order, builds one frame for the first difference into the outgoing record, copies exactly the
// bytes it sent into the last-sent copy, and returns 1. With nothing to send it builds a status poll
// (CMD 0x0C and 0x18 in turn). Each field group is compared under the model lock, so an edit made
// during a scan is either in this frame or found by a later scan.
//
// QueueCommand: the connection, file and system-page code call it on the UI thread, holding the send
// lock around the whole batch (it takes the queue's lock itself too). It builds the frames of one bulk
// command as SendData items and appends them to the queue. A unit's protocol handler offers both for
// its own model, records and queue (ProtocolHandler::ScanForChange, ::QueueCommand).
#include <cstdint>

#include "model/Model.h"
#include "protocol/CommandCodes.h"
#include "protocol/FrameRecord.h"
#include "protocol/SendDataQueue.h"

namespace pavo {

int ScanForChange(Model& model, FrameRecord& outgoing);

// Returns 1 when the batch was queued; 0 when an item could not be allocated (nothing of the batch is
// queued then).
int QueueCommand(Model& model, SendDataQueue& queue, unsigned command, unsigned argument);

// One stored program (1..21) read on its own into the bank, paced as the bank read paces its requests;
// its reply is reported as a stored program and never as the end of a bank read. 0 for another number
// or when the item could not be allocated.
int QueueProgramRead(SendDataQueue& queue, int number);

}  // namespace pavo
