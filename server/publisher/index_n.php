<html><head><meta charset="utf-8"><title>qzRate</title></head>
<body><h1>qzRate</h1><p>De koers van de dollar in euro's, altijd in beeld.</p></body></html>
