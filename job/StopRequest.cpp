#include "job/StopRequest.h"

std::shared_ptr<StopRequest> StopRequest::Create() {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!event) return nullptr;
  return std::make_shared<StopRequest>(event);
}

StopRequest::~StopRequest() { CloseHandle(event); }

void StopRequest::Raise() {
  SetEvent(event);
  raised.store(true);
}

bool StopRequest::Taken() {
  if (!raised.exchange(false)) return false;
  return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}
