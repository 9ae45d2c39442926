<html><head><meta charset="utf-8"><title>qzRate</title></head>
<body><h1>qzRate</h1><p>The dollar rate in euros, always in view.</p></body></html>
