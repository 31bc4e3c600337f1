#include "run/ProducerFactory.h"

#include "run/GAProducer.h"
#include "run/GPProducer.h"

std::unique_ptr<Producer> CreateProducer(const std::string& fileList) {
  if (IsGAProblemFile(fileList)) return std::make_unique<GAProducer>(fileList);
  return std::make_unique<GPProducer>(fileList);
}
