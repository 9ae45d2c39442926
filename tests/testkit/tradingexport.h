#pragma once

#include <QByteArray>

// The sibling program's export of the design parameters, but with half the dollars: 926.
inline const QByteArray HalfHoldingExport =
    "<Name>USDEUR</Name>\r\n<Delta>1</Delta>\r\n<DownDr>2,45</DownDr>\r\n"
    "<UpDr>2,35</UpDr>\r\n<f>0,84</f>\r\n<v>0,76</v>\r\n"
    "<KostenProc>0,22</KostenProc>\r\n<RefWrde>1534,71</RefWrde>\r\n"
    "<Koers>0,9027</Koers>\r\n<Aantal>926</Aantal>\r\n";
